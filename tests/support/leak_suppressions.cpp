// Leaks the leak checker reports wrongly, for every test program.
//
// fontconfig stores the pointers inside its patterns and character sets as offsets
// from the owning object, so the checker cannot follow them and reports the fonts
// added to a configuration as lost while the configuration still owns them (clearing
// the application fonts and finalising fontconfig frees every byte reported).
// Without frame pointers in fontconfig the stacks stop inside the library, so only
// the library as a whole can be named.

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LEAK_CHECKER_PRESENT 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define LEAK_CHECKER_PRESENT 1
#endif

#ifdef LEAK_CHECKER_PRESENT
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
