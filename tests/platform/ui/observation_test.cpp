#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/log.hpp"
#include "platform/ui/view.hpp"

using namespace platform::ui;

namespace {

class Observer : public KeyValueObserver {
public:
    struct Call {
        std::string keyPath;
        Rect oldValue, newValue, frameSeen;
        bool operator==(const Call&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Call& c) { return out << c.keyPath << " " << c.newValue.width(); }
    };
    std::vector<Call> calls;
    void observeValue(const std::string& keyPath, View& object, const KeyValueChange& change) override {
        calls.push_back({keyPath, std::get<Rect>(change.oldValue), std::get<Rect>(change.newValue), object.frame()});
    }
};

}  // namespace

TEST(ObservationTest, FrameAndBoundsObserversAreToldAfterTheChange) {
    View view(Rect{0, 0, 10, 10});
    auto observer = std::make_shared<Observer>();
    view.addObserver(observer, "frame");
    view.addObserver(observer, "bounds");

    using Calls = std::vector<Observer::Call>;
    view.setFrame({5, 5, 20, 20});
    // The frame each observer saw had already changed.
    EXPECT_EQ(observer->calls, (Calls{{"frame", {0, 0, 10, 10}, {5, 5, 20, 20}, {5, 5, 20, 20}},
                                      {"bounds", {0, 0, 10, 10}, {0, 0, 20, 20}, {5, 5, 20, 20}}}));

    observer->calls.clear();
    view.setFrame(view.frame());  // no change, no call
    view.setTransform(AffineTransform::scale(2, 2));  // the frame changes, the bounds do not
    EXPECT_EQ(observer->calls, (Calls{{"frame", {5, 5, 20, 20}, {-5, -5, 40, 40}, {-5, -5, 40, 40}}}));
    view.layer().setBounds({0, 0, 1, 1});  // through the layer: the same properties
    EXPECT_EQ(observer->calls.back().keyPath, "bounds");
}

TEST(ObservationTest, ObserversAreHeldWeaklyCountedPerRegistrationAndRemovedOnlyWhereAdded) {
    View view(Rect{0, 0, 10, 10});
    auto observer = std::make_shared<Observer>();
    view.addObserver(observer, "frame");
    view.addObserver(observer, "frame");
    view.setCenter({1, 1});
    EXPECT_EQ(std::tuple(observer->calls.size(), view.observationCount("frame")), std::tuple(2, 2));
    {
        platform::LogCapture capture;
        EXPECT_FALSE(view.removeObserver(observer.get(), "bounds"));
        EXPECT_FALSE(view.removeObserver(nullptr, "frame"));
    }
    EXPECT_TRUE(view.removeObserver(observer.get(), "frame"));
    EXPECT_EQ(view.observationCount("frame"), 1u);

    std::weak_ptr<Observer> weak = observer;
    observer.reset();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(view.observationCount("frame"), 0u);
    view.setCenter({2, 2});  // the gone observer is skipped
}

TEST(ObservationTest, AnObserverMayChangeTheViewItObserves) {
    // An observer that puts the frame back keeps the view stable, without recursion.
    struct Pinner : KeyValueObserver {
        int calls = 0;
        void observeValue(const std::string&, View& object, const KeyValueChange&) override {
            ++calls;
            object.setFrame({0, 0, 10, 10});
        }
    };
    auto view = std::make_shared<View>(Rect{0, 0, 10, 10});
    auto pinner = std::make_shared<Pinner>();
    view->addObserver(pinner, "frame");
    view->setFrame({1, 1, 10, 10});
    EXPECT_EQ(std::tuple(view->frame(), pinner->calls), std::tuple(Rect{0, 0, 10, 10}, 2));
}
