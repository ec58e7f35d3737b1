#pragma once
// What a floating button tells its owner about its menu. Every call is optional; the
// button holds its delegate weakly.
namespace vistrel {

class Fab;

class FabDelegate {
public:
    virtual ~FabDelegate() = default;
    // Toggled with no items: nothing else happens.
    virtual void emptyFabSelected(Fab& fab) { (void)fab; }
    // First thing an opening does.
    virtual void fabWillOpen(Fab& fab) { (void)fab; }
    // On a later turn of the main queue, once every animation of the opening ended.
    virtual void fabDidOpen(Fab& fab) { (void)fab; }
    virtual void fabWillClose(Fab& fab) { (void)fab; }
    virtual void fabDidClose(Fab& fab) { (void)fab; }
    // Synchronously, near the end of the opening (the menu still reads as closed).
    virtual void fabOpened(Fab& fab) { (void)fab; }
    virtual void fabClosed(Fab& fab) { (void)fab; }
};

}  // namespace vistrel
