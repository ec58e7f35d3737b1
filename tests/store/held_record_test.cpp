// A record one host holds (a gallery left open) after another host sharing the data
// folder deleted it and recorded a new one.
#include "store_fixture.hpp"
#include "support/file_size_limit.hpp"
#include "vistrel/platform/graphics/color.hpp"

using platform::dispatch::RunLoop;
using platform::graphics::Color;
using namespace storetest;

namespace {

using HeldRecordTest = StoreTest;

// The new record has a number of its own: the held one's mark, new title or delete (the
// gallery's, later on the main queue) never reaches it. A change fails its save, and
// that save only: the host records what it scans next.
TEST_F(HeldRecordTest, ARecordAnotherHostDeletedNeverActsOnItsNewRecord) {
    enum class Act { favourite, title, remove };
    for (const Act act : {Act::favourite, Act::title, Act::remove}) {
        SCOPED_TRACE(int(act));
        docs = dir / ("docs-" + std::to_string(int(act)));
        auto gallery = controller();
        auto held = gallery->loadOrCreateVistrelImage("doc-1", "img-1", "Poster", picture(Color::red()), at(1));
        ASSERT_TRUE(held);

        auto other = controller();
        other->deleteImage(other->loadVistrelImages({"img-1"}).value_or(vistrel::VistrelImages{}).at(0));
        RunLoop::runUntilIdle();
        auto recorded = other->loadOrCreateVistrelImage("doc-2", "img-2", "Menu", picture(Color::blue()), at(2));
        ASSERT_TRUE(recorded);
        EXPECT_NE(recorded->storeIdentifier(), held->storeIdentifier());

        if (act == Act::remove) {
            gallery->deleteImage(held);
            RunLoop::runUntilIdle();
        } else {
            if (act == Act::favourite) held->setIsFavorite(true);
            else held->setTitle("Renamed");
            EXPECT_FALSE(gallery->saveContext());
            EXPECT_TRUE(log.contains("the record is no longer in the store"));
            EXPECT_FALSE(log.contains("not an error"));  // SQLite did not fail: its words are not given
            EXPECT_TRUE(gallery->loadOrCreateVistrelImage("doc-3", "img-3", "Leaflet", picture(Color::green()), at(3)));
        }
        auto found = controller()->loadVistrelImages({"img-2"});
        ASSERT_TRUE(found && found->size() == 1);
        EXPECT_FALSE(found->front()->isFavorite());
        EXPECT_EQ(found->front()->title(), "Menu");
        EXPECT_EQ(controller()->retrieveImages()->size(), act == Act::remove ? 1u : 2u);
    }
}

// A change whose save failed (a full disk) stays pending; once another host deleted its
// record, the next scan is recorded all the same: that change alone is dropped, and the
// log says so, in words of what happened.
TEST_F(HeldRecordTest, AChangeLeftPendingForARecordAnotherHostDeletedIsDroppedAlone) {
    for (const bool favourite : {true, false}) {
        SCOPED_TRACE(favourite ? "a favourite's mark" : "a new title");
        docs = dir / (favourite ? "docs-mark" : "docs-title");
        auto gallery = controller();
        auto held = gallery->loadOrCreateVistrelImage("doc-1", "img-1", "Poster", picture(Color::red()), at(1));
        ASSERT_TRUE(held);
        if (favourite) held->setIsFavorite(true);
        else held->setTitle("Renamed");
        {
            testsupport::ScopedFileSizeLimit full(4096);
            EXPECT_FALSE(gallery->saveContext());
        }
        auto other = controller();
        other->deleteImage(other->loadVistrelImages({"img-1"}).value_or(vistrel::VistrelImages{}).at(0));
        RunLoop::runUntilIdle();

        log.clear();
        if (!favourite) {
            // Said once the save of the rest is known: here it fails too, on a full disk.
            {
                testsupport::ScopedFileSizeLimit full(4096);
                EXPECT_FALSE(gallery->loadOrCreateVistrelImage("doc-2", "img-2", "Menu", picture(Color::blue()), at(2)));
            }
            EXPECT_TRUE(log.contains("1 change to a record another host deleted dropped; the rest could not be saved"));
            EXPECT_FALSE(log.contains("the rest is saved"));
        }
        EXPECT_TRUE(gallery->loadOrCreateVistrelImage("doc-2", "img-2", "Menu", picture(Color::blue()), at(2)));
        if (favourite) {
            EXPECT_TRUE(log.contains("1 change to a record another host deleted dropped; the rest is saved without it"));
        }
        EXPECT_FALSE(log.contains("not an error"));
        EXPECT_FALSE(gallery->layer->managedObjectContext()->hasChanges());
        auto found = controller()->retrieveImages();
        ASSERT_TRUE(found && found->size() == 1);
        EXPECT_EQ(found->front()->identifier(), "img-2");
        EXPECT_TRUE(gallery->loadOrCreateVistrelImage("doc-3", "img-3", "Leaflet", picture(Color::green()), at(3)));
    }
}

}  // namespace
