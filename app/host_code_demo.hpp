#pragma once
// Host code called inside a record's save (a host's savePicture, an override of
// saveContext) that saves the store and then fails, answers false once the record is
// saved, waits for a thread of its own calling the store, or runs the main loop while
// another thread records a scan: one line each, of what the store holds after. Then the
// camera screen, offline, its shutter pressed (photographing `photo`) while a host's
// savePicture runs the main loop: what the user is told, in "host-save-camera.png".
#include <filesystem>

void hostCodeInARecordsSave(const std::filesystem::path& out, const std::filesystem::path& photo);
