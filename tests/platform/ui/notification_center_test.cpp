#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/notification_center.hpp"

using namespace platform::ui;

namespace {

// A target observer that records the names it hears.
class Listener {
public:
    std::vector<std::string> heard;
    void hear(const Notification& n) { heard.push_back(n.name); }
};

struct Sender {
    int id = 0;
};

class NotificationCenterTest : public ::testing::Test {
protected:
    // A block that notes `who` heard the notification, as "who:name" (or just `who`).
    NotificationCenter::Block note(std::string who, bool withName = false) {
        return [this, who, withName](const Notification& n) { heard.push_back(withName ? who + ":" + n.name : who); };
    }
    // What was heard since the last call.
    std::vector<std::string> take() { return std::exchange(heard, {}); }

    NotificationCenter center;
    std::vector<std::string> heard;
};

using Heard = std::vector<std::string>;

}  // namespace

TEST_F(NotificationCenterTest, ObserversMatchByNameAndSenderAndNeedBoth) {
    auto a = std::make_shared<Sender>();
    auto b = std::make_shared<Sender>();
    center.addObserver("x", a, note("fromA", true));
    center.addObserver("x", nullptr, note("anyone", true));
    center.addObserver("", b, note("everythingFromB", true));

    struct Case {
        const char* name;
        std::shared_ptr<Sender> sender;
        Heard expected;
    };
    const std::vector<Case> cases = {
        {"x", a, {"fromA:x", "anyone:x"}},
        {"x", b, {"anyone:x", "everythingFromB:x"}},
        {"x", nullptr, {"anyone:x"}},
        {"y", b, {"everythingFromB:y"}},
        {"y", a, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.sender == a ? " from a" : c.sender == b ? " from b" : " from none"));
        center.post(c.name, c.sender);
        EXPECT_EQ(take(), c.expected);
    }

    // A sender seen through a pointer to one of its members is the same sender.
    center.post("x", std::shared_ptr<const int>(a, &a->id));
    EXPECT_EQ(take(), (Heard{"fromA:x", "anyone:x"}));

    // Unnamed notifications and empty blocks are refused.
    platform::LogCapture capture;
    center.addObserver("", nullptr, note("unnamed"));
    center.post("");
    EXPECT_TRUE(take().empty());
    EXPECT_TRUE(capture.contains("without a name"));
    EXPECT_FALSE(center.addObserver("x", nullptr, nullptr));
}

TEST_F(NotificationCenterTest, RemovedObserversHearNothingMore) {
    auto token = center.addObserver("x", nullptr, note("block"));
    center.post("x");
    EXPECT_TRUE(center.removeObserver(token));
    EXPECT_FALSE(center.removeObserver(token));
    EXPECT_FALSE(center.removeObserver(ObserverToken{}));
    center.post("x");
    EXPECT_EQ(take(), Heard{"block"});
    EXPECT_EQ(center.observerCount(), 0u);

    // A target's registrations by name and sender, by name, then all of them.
    auto listener = std::make_shared<Listener>();
    auto sender = std::make_shared<Sender>();
    center.addObserver(listener, &Listener::hear, "a");
    center.addObserver(listener, &Listener::hear, "b");
    center.addObserver(listener, &Listener::hear, "b", sender);
    std::vector<std::size_t> removed{center.removeObserver(listener.get(), "b", sender),
                                     center.removeObserver(listener.get(), "b"), center.removeObserver(listener.get()),
                                     center.removeObserver(listener.get())};
    EXPECT_EQ(removed, (std::vector<std::size_t>{1, 1, 1, 0}));
    center.post("a");
    EXPECT_TRUE(listener->heard.empty());
}

TEST_F(NotificationCenterTest, TargetsAreHeldWeaklyAndSendersThatAreGoneHearNothing) {
    auto listener = std::make_shared<Listener>();
    std::weak_ptr<Listener> watch = listener;
    center.addObserver(listener, &Listener::hear, "orientation");
    listener.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(center.observerCount(), 0u);
    center.post("orientation");  // nobody to call

    auto sender = std::make_shared<Sender>();
    center.addObserver("reachability", sender, note("gone sender"));
    sender.reset();
    EXPECT_EQ(center.observerCount(), 0u);
    center.post("reachability", std::make_shared<Sender>());
    EXPECT_TRUE(take().empty());
}

TEST_F(NotificationCenterTest, ChangesMadeWhilePostingApplyAtOnceToRemovalsAndLaterToAdditions) {
    ObserverToken second;
    center.addObserver("x", nullptr, [&](const Notification&) {
        heard.push_back("first");
        center.removeObserver(second);
        center.addObserver("x", nullptr, note("added"));
    });
    second = center.addObserver("x", nullptr, note("second"));
    ObserverToken self;
    self = center.addObserver("x", nullptr, [&](const Notification&) {
        heard.push_back("self");
        center.removeObserver(self);  // its own block stays alive until it returns
        heard.push_back("still running");
    });
    center.post("x");
    EXPECT_EQ(take(), (Heard{"first", "self", "still running"}));
    center.post("x");
    EXPECT_EQ(take(), (Heard{"first", "added"}));
}

TEST_F(NotificationCenterTest, ObserversMayPostAndRemoveFromInsideTheCentre) {
    center.addObserver("outer", nullptr, [&](const Notification&) {
        heard.push_back("outer");
        center.post("inner");
    });
    center.addObserver("inner", nullptr, note("inner"));
    center.post("outer");
    EXPECT_EQ(take(), (Heard{"outer", "inner"}));

    // A block whose captures remove an observer when they are released: releasing it
    // must not happen while the centre is locked.
    struct RemovesOnRelease {
        NotificationCenter* center;
        ObserverToken token;
        ~RemovesOnRelease() { center->removeObserver(token); }
    };
    auto other = center.addObserver("y", nullptr, [](const Notification&) {});
    auto releaser = std::make_shared<RemovesOnRelease>(RemovesOnRelease{&center, other});
    auto token = center.addObserver("y", nullptr, [releaser](const Notification&) {});
    releaser.reset();
    EXPECT_TRUE(center.removeObserver(token));
    EXPECT_FALSE(center.removeObserver(other));  // already removed by the released capture
}
