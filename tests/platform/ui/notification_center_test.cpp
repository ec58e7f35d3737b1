#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/log.hpp"
#include "platform/ui/notification_center.hpp"
#include "platform/ui/notification_center_names.hpp"

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

}  // namespace

TEST(NotificationCenterTest, PostingCarriesUserInfoSuchAsTheKeyboardFrame) {
    NotificationCenter center;
    std::vector<Rect> begins;
    std::vector<bool> missing;
    center.addObserver(std::string(keyboardWillShowNotification), nullptr, [&](const Notification& n) {
        if (const Rect* begin = n.userInfoValue<Rect>(keyboardFrameBeginUserInfoKey)) begins.push_back(*begin);
        missing.push_back(n.userInfoValue<Rect>("no such key") == nullptr &&
                          n.userInfoValue<std::string>(keyboardFrameEndUserInfoKey) == nullptr);
    });
    center.post(std::string(keyboardWillShowNotification), nullptr,
                keyboardUserInfo({0, 667, 375, 216}, {0, 451, 375, 216}));
    center.post(std::string(keyboardWillHideNotification));  // nobody listens
    EXPECT_EQ(begins, (std::vector<Rect>{{0, 667, 375, 216}}));
    EXPECT_EQ(missing, std::vector<bool>{true});
}

TEST(NotificationCenterTest, ObserversMatchByNameAndSender) {
    NotificationCenter center;
    auto a = std::make_shared<Sender>();
    auto b = std::make_shared<Sender>();
    std::vector<std::string> heard;
    auto record = [&](std::string who) {
        return [&heard, who](const Notification& n) { heard.push_back(who + ":" + n.name); };
    };
    center.addObserver("x", a, record("fromA"));
    center.addObserver("x", nullptr, record("anyone"));
    center.addObserver("", b, record("everythingFromB"));

    struct Case {
        const char* name;
        std::shared_ptr<Sender> sender;
        std::vector<std::string> expected;
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
        heard.clear();
        center.post(c.name, c.sender);
        EXPECT_EQ(heard, c.expected);
    }

    // A sender seen through a pointer to one of its members is the same sender.
    heard.clear();
    center.post("x", std::shared_ptr<const int>(a, &a->id));
    EXPECT_EQ(heard, (std::vector<std::string>{"fromA:x", "anyone:x"}));
}

TEST(NotificationCenterTest, RemovedObserversHearNothingMore) {
    NotificationCenter center;
    int calls = 0;
    auto token = center.addObserver("x", nullptr, [&](const Notification&) { ++calls; });
    center.post("x");
    EXPECT_TRUE(center.removeObserver(token));
    EXPECT_FALSE(center.removeObserver(token));
    EXPECT_FALSE(center.removeObserver(ObserverToken{}));
    center.post("x");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount(), 0u);

    auto listener = std::make_shared<Listener>();
    auto sender = std::make_shared<Sender>();
    center.addObserver(listener, &Listener::hear, "a");
    center.addObserver(listener, &Listener::hear, "b");
    center.addObserver(listener, &Listener::hear, "b", sender);
    EXPECT_EQ(center.removeObserver(listener.get(), "b", sender), 1u);
    center.post("b", sender);
    EXPECT_EQ(listener->heard, std::vector<std::string>{"b"});  // the registration for any sender remains
    EXPECT_EQ(center.removeObserver(listener.get(), "b"), 1u);
    EXPECT_EQ(center.removeObserver(listener.get()), 1u);
    EXPECT_EQ(center.removeObserver(listener.get()), 0u);
    center.post("a");
    center.post("b");
    EXPECT_EQ(listener->heard, std::vector<std::string>{"b"});
}

TEST(NotificationCenterTest, TargetsAreHeldWeaklyAndSendersThatAreGoneHearNothing) {
    NotificationCenter center;
    auto listener = std::make_shared<Listener>();
    std::weak_ptr<Listener> watch = listener;
    center.addObserver(listener, &Listener::hear, std::string(deviceOrientationDidChangeNotification));
    listener.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(center.observerCount(), 0u);
    center.post(std::string(deviceOrientationDidChangeNotification));  // nobody to call

    int calls = 0;
    auto sender = std::make_shared<Sender>();
    center.addObserver(std::string(reachabilityChangedNotification), sender,
                       [&](const Notification&) { ++calls; });
    EXPECT_EQ(center.observerCount(), 1u);
    sender.reset();
    EXPECT_EQ(center.observerCount(), 0u);
    center.post(std::string(reachabilityChangedNotification), std::make_shared<Sender>());
    EXPECT_EQ(calls, 0);
}

TEST(NotificationCenterTest, ChangesMadeWhilePostingApplyAtOnceToRemovalsAndLaterToAdditions) {
    NotificationCenter center;
    std::vector<std::string> heard;
    ObserverToken second;
    center.addObserver("x", nullptr, [&](const Notification&) {
        heard.push_back("first");
        center.removeObserver(second);
        center.addObserver("x", nullptr, [&](const Notification&) { heard.push_back("added"); });
    });
    second = center.addObserver("x", nullptr, [&](const Notification&) { heard.push_back("second"); });
    ObserverToken self;
    self = center.addObserver("x", nullptr, [&](const Notification&) {
        heard.push_back("self");
        center.removeObserver(self);  // its own block stays alive until it returns
        heard.push_back("still running");
    });
    center.post("x");
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "self", "still running"}));

    heard.clear();
    center.post("x");
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "added"}));
}

TEST(NotificationCenterTest, ObserversMayPostAndRemoveFromInsideTheCentre) {
    NotificationCenter center;
    std::vector<std::string> heard;
    center.addObserver("outer", nullptr, [&](const Notification&) {
        heard.push_back("outer");
        center.post("inner");
    });
    center.addObserver("inner", nullptr, [&](const Notification&) { heard.push_back("inner"); });
    center.post("outer");
    EXPECT_EQ(heard, (std::vector<std::string>{"outer", "inner"}));

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

TEST(NotificationCenterTest, UnnamedNotificationsAndEmptyBlocksAreRefused) {
    NotificationCenter center;
    platform::LogCapture capture;
    int calls = 0;
    center.addObserver("", nullptr, [&](const Notification&) { ++calls; });
    center.post("");
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(capture.contains("without a name"));
    EXPECT_FALSE(center.addObserver("x", nullptr, nullptr));
}
