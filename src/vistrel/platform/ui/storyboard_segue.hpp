#pragma once
// A segue: the move from one screen (the source) to another (the destination) that a
// storyboard names by identifier. The source's prepareForSegue sees it before it is
// performed. The kinds a storyboard makes: show (push onto the source's navigation
// controller, else present), present modally, and embed (the destination becomes a
// child whose view fills a container view of the source). A custom segue derives from
// StoryboardSegue and overrides perform.
#include <memory>
#include <optional>
#include <string>

namespace platform::ui {

class ViewController;

class StoryboardSegue {
public:
    StoryboardSegue(std::optional<std::string> identifier, std::shared_ptr<ViewController> source,
                    std::shared_ptr<ViewController> destination);
    virtual ~StoryboardSegue() = default;

    const std::optional<std::string>& identifier() const { return identifier_; }
    const std::shared_ptr<ViewController>& source() const { return source_; }
    const std::shared_ptr<ViewController>& destination() const { return destination_; }

    // The base segue does nothing.
    virtual void perform() {}

private:
    std::optional<std::string> identifier_;
    std::shared_ptr<ViewController> source_;
    std::shared_ptr<ViewController> destination_;
};

// Pushes the destination (animated) onto the source's navigation controller; presents
// it (animated) from the source when there is none.
class ShowSegue : public StoryboardSegue {
public:
    using StoryboardSegue::StoryboardSegue;
    void perform() override;
};

// Presents the destination from the source, animated.
class PresentModallySegue : public StoryboardSegue {
public:
    using StoryboardSegue::StoryboardSegue;
    void perform() override;
};

// Makes the destination a child of the source with its view filling the container: the
// source's view, or its subview with the given tag.
class EmbedSegue : public StoryboardSegue {
public:
    EmbedSegue(std::optional<std::string> identifier, std::shared_ptr<ViewController> source,
               std::shared_ptr<ViewController> destination, int containerTag);
    void perform() override;

private:
    int containerTag_;
};

}  // namespace platform::ui
