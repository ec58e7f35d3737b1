#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <future>
#include <set>

#include "store_fixture.hpp"
#include "support/file_size_limit.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/dispatch/main_thread.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/file_steps.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/jpeg_encoding.hpp"
#include "vistrel/presentation/vistrel_image_view_model.hpp"
#include "vistrel/core/picture_file_name.hpp"
#include "vistrel/store/set_aside_photo.hpp"
#include "vistrel/store/stale_photo_files.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using vistrel::ImageViewModel;
using vistrel::VistrelImageViewModel;
using namespace storetest;

namespace {

using HistoryTest = StoreTest;

TEST_F(HistoryTest, RecordsSurviveRelaunchAndAreFoundUnchanged) {
    {
        auto history = controller();
        EXPECT_FALSE(std::filesystem::exists(docs));  // nothing opened yet
        auto image = history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::red()), at(1));
        ASSERT_TRUE(image);
        image->setIsFavorite(true);
        EXPECT_TRUE(history->saveContext());
    }
    auto history = controller();
    auto photo = platform::readFile(docs / "img-1.jpg", 64u << 20);
    auto again = history->loadOrCreateVistrelImage("other", "img-1", "Other", picture(Color::blue()), at(9));
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isFavorite());
    EXPECT_EQ(again->title(), "Poster");
    EXPECT_EQ(again->date(), at(1));
    EXPECT_EQ(platform::readFile(docs / "img-1.jpg", 64u << 20), photo);  // not rewritten
    EXPECT_EQ(history->loadVistrelImages({"nothing", "img-1"})->size(), 1u);
}

// The photo's file is written before its record: a photo that cannot be written leaves none.
TEST_F(HistoryTest, OfflinePhotoIsRecordedOnlyWithItsFile) {
    auto history = controller();
    auto image = history->createRandomVistrelImage(picture(Color::green()), at(3));
    ASSERT_TRUE(image);
    auto identifier = image->identifier().value_or("");
    EXPECT_EQ(identifier.size(), 20u);
    EXPECT_EQ(image->title(), "Photo not sent");
    EXPECT_TRUE(std::filesystem::exists(docs / (identifier + ".jpg")));
    // From now on the photos would go under a file, where nothing can be written.
    dir.write("blocked", "file");
    history->layer->setApplicationDocumentsDirectory(dir / "blocked");
    EXPECT_FALSE(history->createRandomVistrelImage(picture(Color::red()), at(1)));
    EXPECT_FALSE(history->loadOrCreateVistrelImage("d", "x", "t", picture(Color::red()), at(1)));
    EXPECT_TRUE(log.contains("can't save picture"));
    EXPECT_FALSE(history->layer->managedObjectContext()->hasChanges());
    EXPECT_EQ(controller()->retrieveImages()->size(), 1u);
}

TEST_F(HistoryTest, HostileIdentifiersNameFilesInsideTheDocumentsFolderOnly) {
    std::vector<std::string> hostile = {"../x", "a/b", "", std::string(10 * 1024, 'a'), std::string("a\0b", 3),
                                        "..", "/etc/passwd", "sha256.x", std::string(101, 'z'), "plain_Name-1"};
    auto history = controller();
    std::set<std::string> names;
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        SCOPED_TRACE(i);
        auto color = Color{i / 10.0, 0, 0, 1};
        ASSERT_TRUE(history->loadOrCreateVistrelImage("d", hostile[i], "t", picture(color), at(int(i))));
        names.insert(vistrel::pictureFileName(hostile[i]));
        auto back = history->getPicture(hostile[i]);
        ASSERT_TRUE(back);
        EXPECT_NEAR(back->bitmap().pixel(2, 2).r, color.r, 0.02);
    }
    EXPECT_EQ(names.size(), hostile.size());  // no two share a file
    EXPECT_EQ(vistrel::pictureFileName("plain_Name-1"), "plain_Name-1.jpg");
    // Nothing landed beside the documents folder.
    std::size_t outside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) outside += entry.path() != docs;
    EXPECT_EQ(outside, 0u);
    EXPECT_EQ(controller()->retrieveImages()->size(), hostile.size());
}

TEST_F(HistoryTest, HistorySizeComesFromTheConfiguration) {
    {
        auto history = controller();
        for (int i = 0; i < 15; ++i)
            ASSERT_TRUE(history->loadOrCreateVistrelImage("d", std::string{'i', char('a' + i)}, "t",
                                                          picture(Color::red()), at(i * 7 % 15)));
    }
    for (auto [limit, count] : std::vector<std::pair<std::string, std::size_t>>{
             {"", 15}, {"abc", 15}, {"12", 12}, {"-3", 15}}) {
        SCOPED_TRACE(limit);
        auto images = controller(limit)->retrieveImages();
        ASSERT_TRUE(images);
        EXPECT_EQ(images->size(), count);
        EXPECT_TRUE(std::is_sorted(images->begin(), images->end(),
                                   [](const auto& a, const auto& b) { return a->date() > b->date(); }));
    }
}

TEST_F(HistoryTest, DeletionHappensLaterOnTheMainQueueAndKeepsThePhoto) {
    auto history = controller();
    auto image = history->loadOrCreateVistrelImage("d", "gone", "t", picture(Color::red()), at(1));
    history->deleteImage(image);
    EXPECT_EQ(history->retrieveImages()->size(), 1u);
    RunLoop::runUntilIdle();
    EXPECT_TRUE(controller()->retrieveImages()->empty());
    EXPECT_TRUE(std::filesystem::exists(docs / "gone.jpg"));

    history->loadOrCreateVistrelImage("d", "a", "t", picture(Color::red()), at(1));
    history->deleteAllImages();
    EXPECT_TRUE(controller()->retrieveImages()->empty());
}

// The photo a deleted record left behind gives way to the photo of the next record of
// its identifier once that record is saved.
TEST_F(HistoryTest, ANewRecordReplacesThePhotoADeletedOneLeft) {
    auto history = controller();
    history->deleteImage(history->loadOrCreateVistrelImage("d", "again", "t", picture(Color::red()), at(1)));
    RunLoop::runUntilIdle();
    const auto old = platform::readFile(docs / "again.jpg", 64u << 20);
    ASSERT_TRUE(old);
    ASSERT_TRUE(history->loadOrCreateVistrelImage("d", "again", "t", picture(Color::blue()), at(2)));
    const auto now = platform::readFile(docs / "again.jpg", 64u << 20);
    EXPECT_TRUE(now && *now != *old && now == platform::graphics::encodeJpeg(picture(Color::blue()), 1.0));
    for (const auto& entry : std::filesystem::directory_iterator(docs))
        EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
}

// What a program that takes no lock does at a new photo's name while the kit clears it
// (removes what had it, or writes a file there once it was set aside) costs no scan: the
// record is saved with its photo, and nothing is left beside it.
TEST_F(HistoryTest, ANameAProgramChangesAsItIsClearedStillTakesTheNewPhoto) {
    const struct {
        const char* name;
        const char* step;
        bool writes;
    } rows[] = {
        {"removed as it is set aside", "photo: setting aside", false},
        {"written again once set aside", "photo: stamped", true},
    };
    const auto jpeg = platform::graphics::encodeJpeg(picture(Color::blue()), 1.0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        docs = dir / row.step;
        auto history = controller();
        ASSERT_TRUE(history->retrieveImages());
        static std::filesystem::path name;
        static const char* step;
        static bool writes;
        name = history->picturePath("page"), step = row.step, writes = row.writes;
        std::ofstream(name, std::ios::binary) << "what a deleted record left";
        platform::setFileStepObserver([](std::string_view passed) {
            if (passed != step) return;
            platform::setFileStepObserver(nullptr);
            if (writes) std::ofstream(name, std::ios::binary) << "another program's";
            else std::filesystem::remove(name);
        });
        const auto recorded = history->loadOrCreateVistrelImage("doc", "page", "t", picture(Color::blue()), at(1));
        platform::setFileStepObserver(nullptr);
        EXPECT_TRUE(recorded);
        EXPECT_EQ(platform::readFile(name, 64u << 20), jpeg);
        for (const auto& entry : std::filesystem::directory_iterator(docs))
            EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
    }
}

TEST_F(HistoryTest, CallersOnOtherThreadsAreServedOnTheMainThread) {
    auto history = controller();
    auto made = std::async(std::launch::async,
                           [&] { return history->createRandomVistrelImage(picture(Color::red()), at(1)); });
    EXPECT_TRUE(RunLoop::runUntil([&] { return made.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                                  std::chrono::minutes(2)));
    ASSERT_TRUE(made.get());
    EXPECT_EQ(history->retrieveImages()->size(), 1u);
}

// A store file that is no store, or a documents folder that is a file (permission bits
// do not stop root): nothing is opened, nothing recorded, and the file is left as it was.
TEST_F(HistoryTest, StoreItCannotOpenGivesNothingAndIsLeftAsItWas) {
    for (const char* name : {"docs/VistrelData.sqlite", "docs"}) {
        SCOPED_TRACE(name);
        std::filesystem::remove_all(docs);
        auto unusable = dir.write(name, "this is a text file, not a store\n");
        log.clear();
        auto history = controller();
        EXPECT_TRUE(history->retrieveImages().value_or(vistrel::VistrelImages{}).empty());
        EXPECT_FALSE(history->createRandomVistrelImage(picture(Color::red()), at(2)));
        EXPECT_FALSE(history->saveContext());
        EXPECT_TRUE(log.contains("Unresolved error"));
        EXPECT_TRUE(log.contains(unusable.filename().string()));
        EXPECT_EQ(platform::readFile(unusable, 64u << 20), "this is a text file, not a store\n");
    }
}

// The view model of a recognised image records it in the history.
ImageViewModel recognised(const char* documentId, const char* id, const char* title) {
    std::string text = "{\"Actions\": []";
    for (auto [key, value] : {std::pair{"DocumentId", documentId}, {"Id", id}, {"Title", title}})
        if (value) text.append(", \"").append(key).append("\": \"").append(value).append("\"");
    text += '}';
    return ImageViewModel(vistrel::Image::fromData(text));
}

// The same image again finds the record as it was; its mark is saved as it is toggled.
TEST_F(HistoryTest, ARecognisedImageIsRecordedOnceWithItsPhotoAndItsMark) {
    auto history = controller();
    auto first = VistrelImageViewModel::make(recognised("doc-1", "img-1", "Spring"), picture(Color::red()), history);
    ASSERT_TRUE(first);
    EXPECT_TRUE(log.contains("IMAGE ID :: doc-1"));
    EXPECT_TRUE(std::filesystem::exists(history->picturePath("img-1")));
    first->toggleIsFavorite();
    auto again = VistrelImageViewModel::make(recognised("doc-1", "img-1", "Spring"), picture(Color::blue()),
                                             controller());
    ASSERT_TRUE(again);
    EXPECT_TRUE(again->isFavorite());
    again->toggleIsFavorite();
    EXPECT_FALSE(controller()->loadVistrelImages({"img-1"})->front()->isFavorite());
    EXPECT_EQ(controller()->retrieveImages()->size(), 1u);
}

// What an earlier version stored unbounded: a title of 15 MB and a document identifier of
// 100 KB are listed by their start, cut where a character starts (every fetch reads no
// more), and stay whole in the file when the record is marked a favourite; a record made
// under an identifier over today's bound is found again when that image is scanned anew.
TEST_F(HistoryTest, WhatAnEarlierVersionStoredWholeIsListedByItsStartAndFoundAgain) {
    ASSERT_TRUE(controller()->loadOrCreateVistrelImage("doc-a", "a", "A", picture(Color::red()), at(2)));
    ASSERT_TRUE(controller()->loadOrCreateVistrelImage("doc-b", "b", "B", picture(Color::blue()), at(1)));
    const auto file = docs / "VistrelData.sqlite";
    const std::string longIdentifier(10'000, 'i');  // over maxIdentifierBytes
    runSql(file, ("UPDATE VistrelImage SET title = replace(hex(zeroblob(2621440)), '0', '€'), "
                  "documentId = replace(hex(zeroblob(50000)), '0', 'd') WHERE identifier = 'a';"
                  "UPDATE VistrelImage SET isFavorite = 1, identifier = '" + longIdentifier + "' WHERE identifier = 'b';")
                     .c_str());
    auto history = controller();
    auto listed = history->retrieveImages().value_or(vistrel::VistrelImages{});
    ASSERT_EQ(listed.size(), 2u);
    std::string euros;
    while (euros.size() + 3 <= vistrel::PersistanceController::listedTitleBytes) euros += "€";
    EXPECT_TRUE(listed[0]->title() == euros) << listed[0]->title().value_or("").size();
    EXPECT_TRUE(listed[0]->documentId() == std::string(vistrel::PersistanceController::listedDocumentIdBytes, 'd'));
    EXPECT_TRUE(history->retrieveWaitingImages()->empty());
    listed[0]->setIsFavorite(true);
    ASSERT_TRUE(history->saveContext());
    EXPECT_EQ(sqlInteger(file, "SELECT length(title) + length(documentId) FROM VistrelImage WHERE isFavorite AND "
                               "identifier = 'a'"),
              5242880 + 100000);

    const auto rescan = VistrelImageViewModel::make(recognised("doc-b", longIdentifier.c_str(), "B"),
                                                    picture(Color::green()), history);
    ASSERT_TRUE(rescan);
    EXPECT_TRUE(rescan->isFavorite());  // its star shows
    EXPECT_EQ(controller()->retrieveImages()->size(), 2u);
}

// What an earlier version stored whole and no list shows (a title of 16 MiB, a photo blob
// of 16 MiB the migration could not move) is read neither by the clean-up at open, which
// here must read the records for a photo set aside under a digest name (a QR code's
// address), nor by a list, the list again after a save, or a lookup: SQLite's heap never
// rises by a value's size. A blob asked of its record is read then, whole; the save of a
// mark leaves every value whole in the file.
TEST_F(HistoryTest, WhatAnEarlierVersionStoredWholeIsReadOnlyWhenAskedFor) {
    const std::string address = "https://example.com/page?id=1";
    std::string waiting;
    {
        auto history = controller();
        ASSERT_TRUE(history->loadOrCreateVistrelImage("doc", address, "t", picture(Color::red()), at(1)));
        auto photo = history->createRandomVistrelImage(picture(Color::blue()), at(2));
        ASSERT_TRUE(photo);
        waiting = photo->identifier().value_or("");
    }
    const auto file = docs / "VistrelData.sqlite";
    runSql(file, "UPDATE VistrelImage SET title = replace(hex(zeroblob(8388608)), '0', 't') WHERE documentId NOTNULL;"
                 "UPDATE VistrelImage SET picture = zeroblob(16777216) WHERE documentId ISNULL;");
    const auto photo = docs / vistrel::pictureFileName(address);
    const auto recordsPhoto = platform::readFile(photo, 64u << 20);
    const auto aside = dir.write("docs/" + photo.filename().string() + ".aside-1", "an older photo");
    const timespec longAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, aside.c_str(), longAgo, 0), 0);

    auto history = controller();
    vistrel::VistrelImages listed;
    const struct {
        const char* name;
        std::function<void()> unmeasured, measured;
    } steps[] = {
        {"the clean-up at open", {}, [&] { EXPECT_TRUE(history->layer->managedObjectContext()); }},
        {"a list", {}, [&] { listed = history->retrieveImages().value_or(vistrel::VistrelImages{}); }},
        {"the waiting list", {}, [&] { EXPECT_EQ(history->retrieveWaitingImages()->size(), 1u); }},
        {"a lookup", {}, [&] { EXPECT_TRUE(history->loadVistrelImages({waiting})); }},
        {"the list again after a save",
         [&] {
             ASSERT_FALSE(listed.empty());
             listed.back()->setIsFavorite(true);
             EXPECT_TRUE(history->saveContext());
         },
         [&] { EXPECT_EQ(history->retrieveImages().value_or(vistrel::VistrelImages{}).size(), 2u); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.unmeasured) step.unmeasured();
        SqliteHeapRise rise;
        step.measured();
        EXPECT_LT(rise.mebibytes(), 8);
    }
    EXPECT_FALSE(std::filesystem::exists(aside));
    EXPECT_EQ(platform::readFile(photo, 64u << 20), recordsPhoto);
    ASSERT_EQ(listed.size(), 2u);
    SqliteHeapRise rise;
    EXPECT_EQ(listed.front()->picture().value_or("").size(), 16u << 20);
    EXPECT_GE(rise.mebibytes(), 16);  // what a value read whole costs there
    EXPECT_EQ(sqlInteger(file, "SELECT max(length(title)) + max(length(picture)) FROM VistrelImage"), 32ll << 20);
}

TEST_F(HistoryTest, AnImageWithoutItsIdentityIsNotRecorded) {
    auto history = controller();
    auto photo = picture(Color::green());
    EXPECT_FALSE(VistrelImageViewModel::make(recognised(nullptr, "img-2", "T"), photo, history));
    EXPECT_FALSE(VistrelImageViewModel::make(recognised("doc", nullptr, "T"), photo, history));
    EXPECT_FALSE(VistrelImageViewModel::make(recognised("doc", "img-2", nullptr), photo, history));
    EXPECT_FALSE(history->retrieveImages().value_or(vistrel::VistrelImages{1}).size());
    EXPECT_FALSE(log.contains("IMAGE ID"));
}

// A disk too full for the record (the photo still fits): nothing is reported as kept,
// the photo written for it goes, and the store works again once there is room.
TEST_F(HistoryTest, ARecordThatCannotBeSavedIsNotReportedAndLeavesNoPhoto) {
    auto history = controller();
    ASSERT_TRUE(history->retrieveImages());  // the store is open
    {
        testsupport::ScopedFileSizeLimit full(4096);  // under one page of the store's journal
        EXPECT_FALSE(history->createRandomVistrelImage(picture(Color::green()), at(1)));
        EXPECT_FALSE(history->loadOrCreateVistrelImage("d", "img-9", "t", picture(Color::red()), at(2)));
        EXPECT_FALSE(VistrelImageViewModel::make(recognised("doc", "img-8", "T"), picture(Color::red()), history));
    }
    EXPECT_TRUE(log.contains("Unresolved error"));
    EXPECT_FALSE(history->layer->managedObjectContext()->hasChanges());
    EXPECT_TRUE(history->retrieveImages()->empty());
    for (const auto& entry : std::filesystem::directory_iterator(docs))
        EXPECT_EQ(entry.path().filename().string().find(".jpg"), std::string::npos) << entry.path();
    ASSERT_TRUE(history->createRandomVistrelImage(picture(Color::green()), at(3)));
    EXPECT_EQ(controller()->retrieveImages()->size(), 1u);
}

// Photo files a killed run left are cleared when the store opens. One set aside
// (".aside-", here as an earlier version named it) takes its name back, its modification
// time set from its access time, when the name is free or held by no record's photo; it
// goes when a record's photo has the name. One this version set aside, which was no
// record's photo, goes when a record of its name was saved since, however free the name
// (that record keeps its photo elsewhere). One being written (".tmp-") goes, half a photo
// or whole, unless an earlier version set it aside whole there (a whole JPEG or PNG) and
// its name is free. A link under either mark goes and never takes a photo's name; no link
// is followed. Nothing else of the folder goes, nor anything below it, nor an entry of
// minutes ago, nor one whose name a live save (of a host sharing the folder) just wrote.
TEST_F(HistoryTest, PhotoFilesOfAnEarlierRunAreClearedWhenTheStoreOpens) {
    {
        auto history = controller();
        for (const char* identifier : {"recorded", "linked", "not plain", "elsewhere"})
            ASSERT_TRUE(history->loadOrCreateVistrelImage("d", identifier, "t", picture(Color::red()), at(1)));
    }
    std::filesystem::remove(docs / "elsewhere.jpg");
    const auto recordsPhoto = platform::readFile(docs / "recorded.jpg", 64u << 20);
    const auto jpeg = *platform::graphics::encodeJpeg(picture(Color::blue()), 1.0);
    const auto hostsFile = dir.write("hosts-own.jpg", "the host's own");
    auto png = *platform::graphics::Bitmap::make(4, 4);
    ASSERT_TRUE(platform::graphics::writePng(png, dir / "whole.png"));
    const auto pngBytes = platform::readFile(dir / "whole.png", 1024);
    const std::string digestName = vistrel::pictureFileName("not plain");

    enum class Entry { text, jpeg, png, link };
    enum class Name { free, aRecordsPhoto, stale, fresh };  // what has the name before
    const timespec modifiedLongAgo{1'600'000'000, 0};  // kept as the access time while aside
    const struct {
        std::string entry;
        Entry kind;
        Name name;
        std::optional<std::string> after;  // what the name holds after (through a link)
        bool gone;
    } rows[] = {
        {"free.jpg.aside-1", Entry::text, Name::free, "the entry", true},
        {"recorded.jpg.aside-2", Entry::text, Name::aRecordsPhoto, recordsPhoto, true},
        {digestName + ".aside-3", Entry::text, Name::aRecordsPhoto, recordsPhoto, true},
        {"unsaved.jpg.aside-4", Entry::text, Name::stale, "the entry", true},
        {"busy.jpg.aside-5", Entry::text, Name::fresh, "written lately", false},
        {"linkfree.jpg.aside-6", Entry::link, Name::free, std::nullopt, true},
        {"linked.jpg.aside-7", Entry::link, Name::aRecordsPhoto, recordsPhoto, true},
        {"half.jpg.tmp-8", Entry::text, Name::free, std::nullopt, true},
        {"whole.jpg.tmp-9", Entry::jpeg, Name::free, jpeg, true},
        {"png.jpg.tmp-10", Entry::png, Name::free, pngBytes, true},
        {"takenjpeg.jpg.tmp-11", Entry::jpeg, Name::stale, "written long ago", true},
        {"link.jpg.tmp-12", Entry::link, Name::free, std::nullopt, true},
        {"takenlink.jpg.tmp-13", Entry::link, Name::stale, "written long ago", true},
        // Both of one name: the one set aside first, then the write in progress goes.
        {"both.jpg.aside-14", Entry::text, Name::free, "the entry", true},
        {"both.jpg.tmp-15", Entry::jpeg, Name::free, "the entry", true},
        {"linkstale.jpg.aside-16", Entry::link, Name::stale, "written long ago", true},
        {vistrel::setAsidePathFor(docs / "elsewhere.jpg", modifiedLongAgo).filename(), Entry::text, Name::free,
         std::nullopt, true},
    };
    // The name a row's entry was set aside from, or is being written for.
    const auto nameOf = [&](const std::string& entry) {
        if (const auto aside = vistrel::readSetAsideName(entry)) return docs / std::string(aside->target);
        const auto path = docs / entry;
        return path.parent_path() / path.stem();  // ".tmp-N" is one "extension"
    };
    const auto now = std::filesystem::file_time_type::clock::now();
    auto made = [&](const std::vector<std::string>& names, std::filesystem::file_time_type::duration age) {
        std::vector<std::filesystem::path> paths;
        for (const auto& name : names) {
            paths.push_back(dir.write("docs/" + name, "half a photo"));
            std::filesystem::last_write_time(paths.back(), now - age);
        }
        return paths;
    };
    for (const auto& row : rows) {
        const auto path = docs / row.entry;
        const auto name = nameOf(row.entry);
        if (row.name == Name::stale || row.name == Name::fresh) {
            dir.write("docs/" + name.filename().string(), row.name == Name::stale ? "written long ago" : "written lately");
            if (row.name == Name::stale) std::filesystem::last_write_time(name, now - std::chrono::hours(1));
        }
        if (row.kind == Entry::link) std::filesystem::create_symlink(hostsFile, path);
        else dir.write("docs/" + row.entry, row.kind == Entry::text ? "the entry" : row.kind == Entry::jpeg ? jpeg : *pngBytes);
        // An hour since it was set aside (its own time, a link's and not its target's).
        const timespec times[2] = {modifiedLongAgo, {::time(nullptr) - 3600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
    }
    auto kept = made({"a.jpg", "a.jpg.tmp-", "a.jpg.tmp-12x", ".jpg.tmp-1", "preferences.plist.tmp-5", "a.png.tmp-1",
                      "a.png.aside-1", "inner/b.jpg.tmp-1", "inner/b.jpg.aside-1", "c.jpg.tmp-1.keep", "d.jpg.aside-"},
                     std::chrono::hours(1));
    kept.push_back(made({"now.jpg.tmp-7"}, {}).front());
    kept.push_back(made({"now.jpg.aside-7"}, {}).front());
    kept.push_back(made({"minutes.jpg.aside-8"}, std::chrono::minutes(5)).front());
    for (const char* folder : {"folder.jpg.tmp-9", "folder.jpg.aside-9"}) std::filesystem::create_directory(docs / folder);

    auto history = controller();
    EXPECT_TRUE(std::filesystem::exists(docs / "free.jpg.aside-1"));  // nothing is opened yet
    ASSERT_TRUE(history->retrieveImages());
    std::size_t cleared = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry);
        cleared += row.gone;
        const auto path = docs / row.entry;
        EXPECT_EQ(std::filesystem::exists(std::filesystem::symlink_status(path)), !row.gone);
        const auto name = nameOf(row.entry);
        EXPECT_EQ(platform::readFile(name, 64u << 20), row.after);
        EXPECT_FALSE(std::filesystem::is_symlink(name));
        struct stat st {};
        // What takes its name back from aside has its own time again.
        if (row.gone && row.after == "the entry" && row.entry.find(".aside-") != std::string::npos) {
            EXPECT_EQ(::lstat(name.c_str(), &st) == 0 ? st.st_mtim.tv_sec : 0, modifiedLongAgo.tv_sec);
        }
    }
    for (const auto& path : kept) EXPECT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_EQ(platform::readFile(hostsFile, 1024), "the host's own");
    for (const char* folder : {"folder.jpg.tmp-9", "folder.jpg.aside-9"})
        EXPECT_TRUE(std::filesystem::is_directory(docs / folder));
    EXPECT_EQ(history->retrieveImages().value_or(vistrel::VistrelImages{}).size(), 4u);
    EXPECT_TRUE(log.contains(std::to_string(cleared) + " photo files an earlier run left aside cleared"));

    // A lock the opening cannot take for want of memory (or a failing file) leaves what was
    // set aside for a later opening, and the log does not blame another host for it.
    history.reset();
    docs = dir / "later";
    const auto aside = dir.write("later/" + vistrel::setAsidePathFor(docs / "gone.jpg", modifiedLongAgo)
                                                .filename().string(), "set aside");
    std::filesystem::last_write_time(aside, now - std::chrono::hours(1));
    log.clear();
    const auto layer = controller()->layer;
    ASSERT_TRUE(layer->persistentStoreCoordinator());
    sqlite3_hard_heap_limit64(sqlite3_memory_used());  // SQLite allocates nothing more
    EXPECT_TRUE(layer->managedObjectContext());
    sqlite3_hard_heap_limit64(0);
    EXPECT_TRUE(log.contains("the store's write lock cannot be taken ("));
    EXPECT_FALSE(log.contains("another host"));
    EXPECT_TRUE(std::filesystem::exists(aside));
}

// The kit's data folder reached through a link (a linked home, data moved to another
// disk): scans are recorded and their photos kept there.
TEST_F(HistoryTest, ADataFolderReachedThroughALinkRecordsScansAndKeepsTheirPhotos) {
    std::filesystem::create_directory(dir / "disk");
    std::filesystem::create_directory_symlink(dir / "disk", dir / "home");
    testsupport::ScopedEnv home("VISTREL_HOME", (dir / "home" / "vistrel").c_str());
    auto launch = [] {
        return std::make_shared<vistrel::PersistanceController>(std::make_shared<vistrel::CoreDataLayer>());
    };
    ASSERT_TRUE(launch()->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::red()), at(1)));
    ASSERT_TRUE(launch()->createRandomVistrelImage(picture(Color::blue()), at(2)));
    auto history = launch();
    auto images = history->retrieveImages();
    ASSERT_TRUE(images);
    EXPECT_EQ(images->size(), 2u);
    for (const auto& image : *images) EXPECT_TRUE(history->getPicture(image->identifier().value_or("")));
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "disk" / "vistrel" / "img-1.jpg"));
    EXPECT_FALSE(log.contains("Unresolved error"));
}

// The link to the data folder pointed elsewhere while the kit runs: the photos of new
// records stay with the store, in the folder it was opened in.
TEST_F(HistoryTest, PhotosStayWithTheStoreWhenTheLinkToItsFolderChanges) {
    for (const char* disk : {"disk-a", "disk-b"}) std::filesystem::create_directory(dir / disk);
    std::filesystem::create_directory_symlink(dir / "disk-a", dir / "home");
    docs = dir / "home" / "vistrel";
    auto history = controller();
    ASSERT_TRUE(history->retrieveImages());  // the store opens in disk-a
    std::filesystem::remove(dir / "home");
    std::filesystem::create_directory_symlink(dir / "disk-b", dir / "home");
    const auto images = {history->createRandomVistrelImage(picture(Color::red()), at(1)),
                         history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::blue()), at(2))};
    for (const auto& image : images) {
        ASSERT_TRUE(image);
        const auto identifier = image->identifier().value_or("");
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / "disk-a" / "vistrel" / (identifier + ".jpg"))) << identifier;
        EXPECT_TRUE(history->getPicture(identifier)) << identifier;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "disk-b" / "vistrel"));
}

// A trigger planted in the store file, deleting every record as it is saved, is dropped
// when the store opens: a record reported as kept is listed.
TEST_F(HistoryTest, ATriggerPlantedInTheStoreCannotTakeBackARecord) {
    ASSERT_TRUE(controller()->createRandomVistrelImage(picture(Color::red()), at(1)));
    runSql(docs / "VistrelData.sqlite",
           "CREATE TRIGGER wipe AFTER INSERT ON VistrelImage BEGIN DELETE FROM VistrelImage; END;");
    auto history = controller();
    ASSERT_TRUE(history->createRandomVistrelImage(picture(Color::green()), at(2)));
    ASSERT_TRUE(history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::blue()), at(3)));
    EXPECT_EQ(controller()->retrieveImages().value_or(vistrel::VistrelImages{}).size(), 3u);
    EXPECT_TRUE(log.contains("1 triggers or views the store did not make are dropped, the first: trigger \"wipe\""));
}

// A save of an identifier already recorded whose lookup fails (the store's table is away
// for a while, as another program could make it) takes nothing from the record already
// kept: which record holds the photo's name cannot be told, so nothing is recorded and
// the name is left alone; no half-made file is left, and the record is listed again once
// the table is back.
TEST_F(HistoryTest, AFailedSaveLeavesThePhotoOfTheRecordAlreadyKept) {
    auto history = controller();
    ASSERT_TRUE(history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::red()), at(1)));
    const auto photo = platform::readFile(docs / "img-1.jpg", 64u << 20);
    ASSERT_TRUE(photo);
    const auto store = docs / "VistrelData.sqlite";
    runSql(store, "ALTER TABLE VistrelImage RENAME TO Away;");
    EXPECT_FALSE(history->loadOrCreateVistrelImage("doc", "img-1", "Poster", picture(Color::blue()), at(2)));
    EXPECT_TRUE(log.contains("Fetching images failed"));
    EXPECT_TRUE(log.contains("the records could not be looked up; nothing is recorded"));
    runSql(store, "ALTER TABLE Away RENAME TO VistrelImage;");
    EXPECT_TRUE(platform::readFile(docs / "img-1.jpg", 64u << 20) == photo) << "the kept record's photo is gone or changed";
    for (const auto& entry : std::filesystem::directory_iterator(docs))
        EXPECT_FALSE(vistrel::isTemporaryPhotoName(entry.path().filename().string())) << entry.path();
    auto listed = controller()->loadVistrelImages({"img-1"});
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->size(), 1u);
    EXPECT_EQ(history->loadVistrelImages({"img-1"}).value_or(vistrel::VistrelImages{}).size(), 1u);
}

// A host may read photos off the main thread while the main thread opens the store: the
// documents folder, the kit's data folder found on first use, is found once for both.
TEST_F(HistoryTest, PhotosReadOffTheMainThreadWhileTheStoreOpens) {
    testsupport::ScopedEnv home("VISTREL_HOME", docs.c_str());
    auto history = std::make_shared<vistrel::PersistanceController>(std::make_shared<vistrel::CoreDataLayer>());
    auto reader = std::async(std::launch::async, [&] { return history->getPicture("img-1"); });
    auto images = history->retrieveImages();
    EXPECT_FALSE(reader.get());
    EXPECT_TRUE(images && images->empty());
    EXPECT_EQ(history->picturePath("img-1"), docs / "img-1.jpg");
}

}  // namespace
