#pragma once
// Screens that write each lifecycle call into a shared journal, as "name call", so that
// a test can read the calls of several screens in the order they came.
#include <memory>
#include <string>
#include <vector>

#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace testsupport {

using Journal = std::shared_ptr<std::vector<std::string>>;

inline Journal makeJournal() { return std::make_shared<std::vector<std::string>>(); }

// Gives the journal's lines and empties it.
inline std::vector<std::string> take(const Journal& journal) {
    auto lines = std::move(*journal);
    journal->clear();
    return lines;
}

template <class Base>
class Recording : public Base {
public:
    template <class... Args>
    Recording(std::string name, Journal journal, Args&&... args)
        : Base(std::forward<Args>(args)...), name_(std::move(name)), journal_(std::move(journal)) {}

    void viewDidLoad() override {
        Base::viewDidLoad();
        note("viewDidLoad");
    }
    void viewWillAppear(bool animated) override {
        Base::viewWillAppear(animated);
        note("willAppear");
    }
    void viewDidAppear(bool animated) override {
        Base::viewDidAppear(animated);
        note("didAppear");
    }
    void viewWillDisappear(bool animated) override {
        Base::viewWillDisappear(animated);
        note("willDisappear");
    }
    void viewDidDisappear(bool animated) override {
        Base::viewDidDisappear(animated);
        note("didDisappear");
    }

    const std::string& name() const { return name_; }
    void note(const std::string& call) { journal_->push_back(name_ + " " + call); }

private:
    std::string name_;
    Journal journal_;
};

using RecordingController = Recording<platform::ui::ViewController>;
using RecordingNavigationController = Recording<platform::ui::NavigationController>;

}  // namespace testsupport
