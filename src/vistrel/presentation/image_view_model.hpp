#pragma once
// The view model of one recognised image: which of its actions are shown and in which
// order, everything the action list asks of a row by its position, the image's
// identity, the values of the title bar, and the content of each action.
//
// Positions are indexes into the shown list, from 0; a negative position or one at or
// past the end gives the absent result of the operation. The list is fixed when the
// view model is made, and every operation only reads, so an instance never changes.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vistrel/core/json/json.hpp"
#include "vistrel/model/action.hpp"
#include "vistrel/model/action_type.hpp"
#include "vistrel/model/image.hpp"
#include "vistrel/platform/graphics/color.hpp"
#include "vistrel/platform/graphics/font.hpp"

namespace platform::ui {
class ViewController;
}

namespace vistrel {

class ActionViewModel;

class ImageViewModel {
public:
    // Keeps a copy of the image. With `filterData` (absent counts as true) an action
    // whose content is of the Data kind is not shown. The rest are ordered by
    // "Order" - 100 x "Priority" (a missing value counts as 0), ascending; actions with
    // equal keys keep the order of the answer.
    explicit ImageViewModel(Image image, std::optional<bool> filterData = true);
    virtual ~ImageViewModel() = default;
    ImageViewModel(const ImageViewModel&) = default;
    ImageViewModel& operator=(const ImageViewModel&) = default;

    // Runs the shown action at the position on behalf of the target screen, which
    // presents whatever the action opens, or the alert when its content is missing
    // (action_dispatch.cpp).
    virtual void handleActionAtPosition(std::intptr_t position,
                                        const std::shared_ptr<platform::ui::ViewController>& target);
    // The handlers of the action kinds, one per kind that does something; each reads the
    // content of the action at the position and calls its launcher, or shows the alert
    // "general.error" with the kind's message key over the target when the content that
    // the launcher needs is missing.
    virtual void calendarEventForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void phoneForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void shareForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void emailForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void vcardForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void mapForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void smsForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void urlForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);
    virtual void textForAction(std::intptr_t position, const std::shared_ptr<platform::ui::ViewController>& target);

    // True when the image asks for it and exactly one action is shown.
    bool shouldAutoTrigger() const;

    // --- The title bar (the image's title style, else the image theme) ----------------
    // Whether the bar takes the style's background colour.
    bool buttonDisplay() const;
    // The style's background colour at its opacity (both needed).
    platform::graphics::Color buttonBackgroundColor() const;
    // The style's text colour at its opacity (both needed).
    platform::graphics::Color textColor() const;
    // The face chosen by the style's weight and style, at the theme's size; a face that
    // is not registered gives the default face at that size.
    std::optional<platform::graphics::Font> textFont() const;

    // --- Identity --------------------------------------------------------------------
    std::optional<std::string> imageName() const;       // the title
    std::optional<std::string> imageId() const;
    std::optional<std::string> imageSessionId() const;
    // The document identifier, followed directly by the names of the shown QR-code
    // actions in list order when there are any.
    std::optional<std::string> imageDocumentId() const;

    std::intptr_t numberOfActions() const;

    // The style's text colour with the alpha of its own text, without an opacity; the
    // kit's configured white when the style has none.
    platform::graphics::Color imageTextColor() const;

    // --- Rows ------------------------------------------------------------------------
    std::optional<std::string> idForAction(std::intptr_t position) const;
    ActionType typeForAction(std::intptr_t position) const;  // Unknown when absent
    std::shared_ptr<ActionViewModel> viewModelForAction(std::intptr_t position) const;  // null when absent
    std::optional<std::string> nameForAction(std::intptr_t position) const;
    // The row's button height for a row of that width: the style's ratio times the width,
    // else its multiple of the theme's button height; the image theme's button height
    // when there is no action. Always within 0...display_limits::maximumLength.
    double buttonHeightForAction(std::intptr_t position, double buttonWidth) const;

    // --- Content of the action at a position ----------------------------------------
    std::optional<std::string> phoneNumberForAction(std::intptr_t position) const;
    std::string emailAddressForAction(std::intptr_t position) const;   // "" when absent
    std::string emailContentForAction(std::intptr_t position) const;   // "" when absent
    std::string emailSubjectForAction(std::intptr_t position) const;   // "" when absent
    std::optional<std::string> shareContentForAction(std::intptr_t position) const;
    // The "Url" text by the share address rule (action_address::shareAddress).
    std::optional<std::string> shareUrlForAction(std::intptr_t position) const;
    std::optional<std::string> smsNumberForAction(std::intptr_t position) const;   // none when empty
    std::optional<std::string> smsContentForAction(std::intptr_t position) const;  // none when empty
    // The "Url" text by the web address rule (action_address::webAddress).
    std::optional<std::string> urlForAction(std::intptr_t position) const;
    std::optional<bool> isEmbeddedWebViewForAction(std::intptr_t position) const;
    std::optional<bool> isAnonymousURLForAction(std::intptr_t position) const;
    std::optional<std::string> urlContentTypeTypeForAction(std::intptr_t position) const;  // none when empty
    std::optional<double> mapLatitudeForAction(std::intptr_t position) const;
    std::optional<double> mapLongitudeForAction(std::intptr_t position) const;
    std::optional<std::string> mapSearchAddressForAction(std::intptr_t position) const;  // none when empty
    std::optional<std::string> vcardForAction(std::intptr_t position) const;             // none when empty
    std::optional<std::string> vcalendarForAction(std::intptr_t position) const;         // none when empty
    std::optional<std::string> textForAction(std::intptr_t position) const;              // none when empty
    // The content object as pretty-printed JSON text.
    std::optional<std::string> contentJsonStringForAction(std::intptr_t position) const;
    std::optional<JSON> contentJSONForAction(std::intptr_t position) const;

private:
    // The shown action at the position; null for a negative position or one past the end.
    const Action* getActionAtPosition(std::intptr_t position) const;
    const Content* contentAtPosition(std::intptr_t position) const;
    template <typename T>
    std::optional<T> contentValue(std::intptr_t position, std::optional<T> (Content::*reader)() const) const;
    std::optional<std::string> nonEmptyContentText(std::intptr_t position,
                                                   std::optional<std::string> (Content::*reader)() const) const;

    Image image_;
    std::vector<Action> actions_;
};

}  // namespace vistrel
