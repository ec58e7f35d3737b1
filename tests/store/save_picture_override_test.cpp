#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <future>
#include <stdexcept>

#include "store_fixture.hpp"
#include "support/file_size_limit.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/platform/ui/notification_center.hpp"
#include "vistrel/store/stale_photo_files.hpp"
#include "vistrel/store/store_notifications.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using namespace storetest;

namespace {

// A host's controller that keeps photos its own way: elsewhere, or through the kit's file.
struct OwnPhotos : vistrel::PersistanceController {
    using PersistanceController::PersistanceController;
    bool inTheKitsFolder = false;
    bool inPlace = false;  // into the file at the name, as it is, rather than a new one
    bool throwsAfterWriting = false;  // through the kit's file, then an exception of its own
    bool halfWrittenThenThrows = false;  // half a photo at the name, its own way, then an exception
    // What its saveContext does once the kit's own saved: answers as it did, false, or throws.
    enum class AfterItsSave { answers, answersFalse, throws } afterItsSave = AfterItsSave::answers;
    std::vector<std::string> asked;
    bool saveContext() override {
        const bool saved = PersistanceController::saveContext();
        if (afterItsSave == AfterItsSave::throws) throw std::runtime_error("the host's own failure after its save");
        return saved && afterItsSave == AfterItsSave::answers;
    }
    bool savePicture(const platform::graphics::Image& picture, std::string_view key) override {
        asked.emplace_back(key);
        if (inPlace) {
            std::ofstream file(picturePath(key), std::ios::binary | std::ios::in | std::ios::out);
            if (!file) file.open(picturePath(key), std::ios::binary | std::ios::out);
            return static_cast<bool>(file << *platform::graphics::encodeJpeg(picture, 1.0));
        }
        if (halfWrittenThenThrows) {
            std::ofstream(picturePath(key), std::ios::binary) << platform::graphics::encodeJpeg(picture, 1.0)->substr(0, 100);
            throw std::runtime_error("the host's own failure");
        }
        if (throwsAfterWriting) {
            PersistanceController::savePicture(picture, key);
            throw std::runtime_error("the host's own failure");
        }
        return !inTheKitsFolder || PersistanceController::savePicture(picture, key);
    }
};

struct SavePictureOverrideTest : StoreTest {
    std::shared_ptr<OwnPhotos> history = std::make_shared<OwnPhotos>(controller()->layer);
};

// The photo of every new record is asked of savePicture, once, under the record's
// identifier; the kit writes no file of its own for it.
TEST_F(SavePictureOverrideTest, EveryNewRecordsPhotoGoesThroughSavePicture) {
    for (const auto& insert : std::vector<std::function<std::shared_ptr<vistrel::VistrelImage>()>>{
             [&] { return history->createRandomVistrelImage(picture(Color::red()), at(1)); },
             [&] { return history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::red()), at(2)); }}) {
        history->asked.clear();
        auto image = insert();
        ASSERT_TRUE(image);
        const auto identifier = image->identifier().value_or("");
        EXPECT_EQ(history->asked, std::vector{identifier});
        EXPECT_FALSE(std::filesystem::exists(history->picturePath(identifier)));
        EXPECT_EQ(history->loadVistrelImages({identifier}).value_or(vistrel::VistrelImages{}).size(), 1u);
    }
}

// A record that cannot be saved over the photo a deleted record left: savePicture is
// asked, and the photo that had the name is back as it was, with nothing beside it.
TEST_F(SavePictureOverrideTest, AFailedSaveThroughSavePicturePutsBackThePhotoThatHadTheName) {
    history->inTheKitsFolder = true;
    const auto old = dir.write("docs/img-2.jpg", *platform::graphics::encodeJpeg(picture(Color::red()), 1.0));
    ASSERT_TRUE(history->retrieveImages());  // the store is open
    {
        testsupport::ScopedFileSizeLimit full(4096);  // room for the photo, not for the record
        EXPECT_FALSE(history->loadOrCreateVistrelImage("d", "img-2", "t", picture(Color::blue()), at(2)));
    }
    EXPECT_EQ(history->asked, std::vector<std::string>{"img-2"});
    EXPECT_EQ(platform::readFile(old, 64u << 20), platform::graphics::encodeJpeg(picture(Color::red()), 1.0));
    for (const auto& entry : std::filesystem::directory_iterator(docs))
        EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
}

// Whatever had a new photo's name is set aside as it is, never copied or followed: it
// takes its name again, the same file, when the record is not saved, whether the host's
// savePicture wrote a new file or into the old one or threw after writing (the exception
// reaching the caller, on the main thread or off it). It is no record's photo: when the
// record is saved with its photo kept elsewhere, it goes, and the name stays free. A
// link never takes a photo's name again: it goes, saved or not, and its target is never
// touched. What a program that takes no lock writes at the name as the record's save
// fails is its own, and stays, even when it removed the new photo first and its file was
// given the inode number the photo had (as a disk's file system does with the next file
// made): the kit does not take it for the photo it wrote. Once the record is committed,
// its photo is kept and the record given, whatever host code answers after (a saveContext
// of its own answering false or throwing, an observer of the store's did-save that
// throws), over a deleted record's photo or a free name: nothing says it was dropped.
TEST_F(SavePictureOverrideTest, WhatHadTheNameIsSetAsideAndTakesItBackUnlessTheRecordIsSaved) {
    enum class Before { photo, twoGigabytes, link, nothing };
    enum class Save {
        newFile, inPlace, elsewhere, throwsAfterWriting, halfWrittenThenThrows, programWritesAtSave,
        programReusesTheInode,  // removes the new photo, then writes a file that gets its inode number
    };
    enum class After { nothing, saveAnswersFalse, saveThrows, observerThrows };  // once the record is committed
    const struct {
        const char* name;
        Before before;
        Save save;
        bool saved;
        bool offTheMainThread = false;
        After after = After::nothing;
    } rows[] = {
        {"a photo written over in place, record not saved", Before::photo, Save::inPlace, false},
        {"2 GB at the name, record not saved", Before::twoGigabytes, Save::newFile, false},
        {"2 GB at the name, record saved", Before::twoGigabytes, Save::newFile, true},
        {"a link, record not saved", Before::link, Save::newFile, false},
        {"a link, record saved", Before::link, Save::inPlace, true},
        {"a photo, the new one kept elsewhere, record saved", Before::photo, Save::elsewhere, true},
        {"a photo, an exception after the new one is written", Before::photo, Save::throwsAfterWriting, false},
        {"the same, called off the main thread", Before::photo, Save::throwsAfterWriting, false, true},
        {"a photo, an exception after half a photo is written its own way", Before::photo,
         Save::halfWrittenThenThrows, false},
        {"a photo, a program writes at the name as the record's save fails", Before::photo,
         Save::programWritesAtSave, false},
        {"a photo, saveContext answers false once the record is saved", Before::photo, Save::newFile, true, false,
         After::saveAnswersFalse},
        {"a photo, saveContext throws once the record is saved", Before::photo, Save::newFile, true, false,
         After::saveThrows},
        {"a photo, an observer of the save throws", Before::photo, Save::newFile, true, false, After::observerThrows},
        {"the same, called off the main thread", Before::photo, Save::newFile, true, true, After::observerThrows},
        {"a free name, saveContext throws once the record is saved", Before::nothing, Save::newFile, true, false,
         After::saveThrows},
        {"a free name, an observer of the save throws", Before::nothing, Save::newFile, true, false,
         After::observerThrows},
        {"a photo, a program removes the new one and writes at the name, its file given the new one's inode",
         Before::photo, Save::programReusesTheInode, false},
    };
    ASSERT_TRUE(history->retrieveImages());  // the store is open
    const auto hostsFile = dir.write("hosts-own.jpg", "the host's own");
    const auto newPhoto = platform::graphics::encodeJpeg(picture(Color::blue()), 1.0);
    int row = 0;
    for (const auto& [name, before, save, saved, offTheMainThread, after] : rows) {
        SCOPED_TRACE(name);
        log.clear();
        const std::string key = "img-" + std::to_string(++row);
        const auto path = history->picturePath(key);
        if (before == Before::link) {
            std::filesystem::create_symlink(hostsFile, path);
        } else if (before != Before::nothing) {
            dir.write("docs/" + key + ".jpg", *platform::graphics::encodeJpeg(picture(Color::red()), 1.0));
            if (before == Before::twoGigabytes) std::filesystem::resize_file(path, 2ull << 30);  // sparse
        }
        struct stat was {};
        ASSERT_EQ(::lstat(path.c_str(), &was) == 0, before != Before::nothing);
        history->afterItsSave = after == After::saveThrows        ? OwnPhotos::AfterItsSave::throws
                                : after == After::saveAnswersFalse ? OwnPhotos::AfterItsSave::answersFalse
                                                                   : OwnPhotos::AfterItsSave::answers;
        std::optional<platform::ui::ObserverToken> observer;
        if (after == After::observerThrows)
            observer = platform::ui::NotificationCenter::defaultCenter().addObserver(
                std::string(vistrel::managedObjectContextDidSaveNotification), nullptr,
                [](const platform::ui::Notification&) { throw std::runtime_error("an observer's own failure"); });
        history->inTheKitsFolder = save != Save::elsewhere;
        history->inPlace = save == Save::inPlace;
        history->throwsAfterWriting = save == Save::throwsAfterWriting;
        history->halfWrittenThenThrows = save == Save::halfWrittenThenThrows;
        static std::filesystem::path programWritesAt;
        static bool reusesTheInode, inodeReused;
        programWritesAt = save == Save::programWritesAtSave || save == Save::programReusesTheInode
                              ? path : std::filesystem::path();
        reusesTheInode = save == Save::programReusesTheInode;
        inodeReused = false;
        platform::setFileStepObserver([](std::string_view step) {
            if (step != "record: saving" || programWritesAt.empty()) return;
            if (!reusesTheInode) {
                std::ofstream(programWritesAt.string() + ".program", std::ios::binary) << "a program's own";
                std::filesystem::rename(programWritesAt.string() + ".program", programWritesAt);
                return;
            }
            // The new photo removed, the next file made gets its inode number on a disk (never
            // in memory, nor while the photo is held open).
            struct stat photo {}, made {};
            if (::lstat(programWritesAt.c_str(), &photo) != 0 || ::unlink(programWritesAt.c_str()) != 0) return;
            std::ofstream(programWritesAt, std::ios::binary) << "a program's own";
            inodeReused = ::stat(programWritesAt.c_str(), &made) == 0 && made.st_ino == photo.st_ino;
        });
        std::shared_ptr<vistrel::VistrelImage> record;
        {
            // Room for the photo and the record, or for the photo only; never for a copy of 2 GB.
            testsupport::ScopedFileSizeLimit full(saved ? 64u << 20 : 4096);
            const bool onAnotherThread = offTheMainThread;  // copied: not every compiler lets a lambda capture a binding
            const auto insert = [&] {
                const auto call = [&] { return history->loadOrCreateVistrelImage("d", key, "t", picture(Color::blue()), at(row)); };
                if (!onAnotherThread) return call();
                auto called = std::async(std::launch::async, call);
                RunLoop::runUntil([&] { return called.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                                  std::chrono::minutes(2));
                return called.get();
            };
            if (save == Save::throwsAfterWriting || save == Save::halfWrittenThenThrows)
                EXPECT_THROW(insert(), std::runtime_error);
            else
                record = insert();
        }
        platform::setFileStepObserver(nullptr);
        if (observer) platform::ui::NotificationCenter::defaultCenter().removeObserver(*observer);
        history->afterItsSave = OwnPhotos::AfterItsSave::answers;
        EXPECT_EQ(record != nullptr, saved);
        EXPECT_FALSE(saved && log.contains("dropped"));
        EXPECT_EQ(history->loadVistrelImages({key}).has_value(), saved);
        struct stat now {};
        const bool present = ::lstat(path.c_str(), &now) == 0;
        if (save == Save::programWritesAtSave || save == Save::programReusesTheInode) {
            EXPECT_EQ(platform::readFile(path, 1024), "a program's own")
                << (inodeReused ? "the program's file had the inode number of the photo it removed" : "");
        } else if ((before == Before::link && !saved) || save == Save::elsewhere) {
            EXPECT_FALSE(present);
        } else if (saved) {
            EXPECT_TRUE(present && S_ISREG(now.st_mode));
            EXPECT_EQ(platform::readFile(path, 64u << 20), newPhoto);
        } else {
            ASSERT_TRUE(present);
            EXPECT_EQ(std::tuple(now.st_ino, now.st_size, now.st_mtim.tv_sec, now.st_mtim.tv_nsec),
                      std::tuple(was.st_ino, was.st_size, was.st_mtim.tv_sec, was.st_mtim.tv_nsec));
        }
        EXPECT_EQ(platform::readFile(hostsFile, 1024), "the host's own");
        for (const auto& entry : std::filesystem::directory_iterator(docs))
            EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
    }
}

}  // namespace
