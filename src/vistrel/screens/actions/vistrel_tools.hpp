#pragma once
// The launchers that carry an action out on the device's services: open an address,
// call a number, write a text message or an e-mail, add a calendar event, share, show a
// place on the map, offer a new contact, show a text. Whatever they open is presented,
// animated, over the screen the user sees from the target (presenting_screen.hpp); they
// may be called from any thread and do their screen work on the main queue.
//
// The shared object (instance()) is the delegate of the composers, the event editor and
// the new-contact screen: it closes each of them when the user is done with it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/services/activity_item.hpp"
#include "vistrel/platform/services/contact_store.hpp"
#include "vistrel/platform/services/contact_view_controller.hpp"
#include "vistrel/platform/services/event_edit_view_controller.hpp"
#include "vistrel/platform/services/mail_compose_view_controller.hpp"
#include "vistrel/platform/services/message_compose_view_controller.hpp"
#include "vistrel/platform/ui/alert_action.hpp"

namespace platform::ui {
class BarButtonItem;
class ViewController;
}  // namespace platform::ui

namespace vistrel::VistrelTools {

using Target = std::shared_ptr<platform::ui::ViewController>;

// --- Addresses ---------------------------------------------------------------------
// Whether the system opener may be handed the address: any address that starts with a
// scheme (so also another application's own), except one holding a control character
// or whose scheme, in any letter case, is javascript, vbscript, data, file, about, blob
// or content. An address with anything before its scheme (blanks included) is refused.
bool isAllowedAddress(std::string_view address);

// An http or https address with `isAnonymous` true opens the kit's browser screen
// (pushed on the target's navigation controller, else presented with a Done button);
// with `inBrowser` true, the browser view. Any other address, or no flag set, goes to
// the system opener when isAllowedAddress, and is refused with a log line if not.
// Web schemes are compared exactly: "HTTP:" is no web address here.
void launchUrl(const Target& target, const std::string& url, std::optional<bool> inBrowser,
               std::optional<bool> isAnonymous, std::optional<std::string> title);

// The number as the dialler is handed it: the separators people write between digits
// (every kind of space, the no-break and thin ones of numbers copied from a page among
// them, "/", "(", ")" and ".", as in "089/1234567" or "(030) 123.456") removed, and in a
// number starting with "+" a "(0)" right after the country code ("+49 (0)89 ...": the
// trunk prefix, not dialled from abroad); "#" written as %23, every other character
// kept (the letters and hyphens of "+1-800-555-SHOP", the pauses , and ;). None for a
// number holding what no number holds and what would make the address open something
// else than the number: a control character (control_characters.hpp), "?", "@" or "%"
// (an escape that would decode into one of them); none for one the prompt would show
// otherwise than it is dialled: a format character (a direction mark or override, a
// zero-width space), a line or paragraph separator, a byte that is not UTF-8; none for
// one longer than 64 bytes as handed to the dialler; and none for a number of
// separators only.
std::optional<std::string> dialableNumber(std::string_view phoneNumber);
// Hands "telprompt://" and the dialable number to the system opener and gives true; a
// number that gives none is refused with a log line, nothing is opened, and it gives
// false (the dispatch then shows the alert of a phone number it cannot read).
bool callNumber(const std::string& phoneNumber);

// --- Composers ---------------------------------------------------------------------
// A recipient holding a control character (control_characters.hpp) refuses the launch with a
// log line: nothing is shown. Subjects lose their control characters; bodies keep tabs
// and line breaks but no other control character.
// The message composer with the one recipient and the body; when the device cannot send
// text messages, the alert "Could Not Send Sms" over the target instead.
void sendSMS(const Target& target, const std::string& phoneNumber, const std::string& message);
// The mail composer with the recipients as given, the subject and a plain-text body;
// when the device cannot send mail, the alert "Could Not Send Email" over the target.
void sendEmail(const Target& target, const std::vector<std::string>& emails, const std::string& subject,
               const std::string& message);

// --- Calendar, share, map, contact card, text ------------------------------------------
// The event of the text offered in the event editor once calendar access is granted; an
// added event is written under calendarEventsFolder().
void launchCalendar(const Target& target, const std::string& ical);

// The share sheet with the items in order (possibly none). Where it shows as a popover
// it points at `barButton`, else at the centre of the target's screen.
void share(const Target& target, std::vector<platform::services::ActivityItem> objectsToShare,
           const std::shared_ptr<platform::ui::BarButtonItem>& barButton = nullptr);

// An address is geocoded and the map opens at the first located place (the coordinates
// are used instead only when no geocoding service is configured); without an address,
// both coordinates open the map there; otherwise nothing happens. The region is
// `zoomlevel` metres across (18 when zoomlevel <= 0); an empty name leaves the pin unnamed.
void launchMap(std::optional<double> latitude, std::optional<double> longitude, std::optional<std::string> address,
               const std::string& locationName, std::intptr_t zoomlevel);

// The first contact of the card text on the new-contact screen, in a navigation
// controller; "Done" saves it under contactsFolder(). A text giving no contact prints
// "Unable to show the new contact" and shows nothing.
void launchVcard(const Target& target, const std::string& vCard);
// Where the new-contact screen saves: "Contacts" in the kit's data folder.
std::filesystem::path contactsFolder();

// The text page in a navigation controller, also for an empty text.
void text(const Target& target, const std::string& text);

// --- The shared object ---------------------------------------------------------------
class Shared final : public platform::services::MailComposeDelegate,
                     public platform::services::MessageComposeDelegate,
                     public platform::services::EventEditViewDelegate,
                     public platform::services::ContactViewControllerDelegate {
public:
    // Saves the request's contacts under contactsFolder(); a failure prints
    // "Failed to save the contact. " and the error.
    void addContact(platform::services::ContactSaveRequest& data) const;
    // An alert with the title, the message and one "general.ok" button in `okStyle` that
    // only closes it, over the target. The information popups of a device that cannot
    // send give their button the cancel style; the alert of missing content keeps the
    // default one.
    void launchPopup(const Target& target, const std::string& title, const std::string& message,
                     platform::ui::AlertActionStyle okStyle) const;

    // Each closes the screen it is told about, whatever the result.
    void mailComposeController(platform::services::MailComposeViewController& controller,
                               platform::services::MailComposeResult result,
                               const std::optional<platform::Error>& error) override;
    void messageComposeViewController(platform::services::MessageComposeViewController& controller,
                                      platform::services::MessageComposeResult result) override;
    void eventEditViewController(platform::services::EventEditViewController& controller,
                                 platform::services::EventEditViewAction action) override;
    void contactViewController(platform::services::ContactViewController& controller,
                               const std::optional<platform::services::Contact>& contact) override;
};

// Made on first use (once, whichever threads ask) and kept for the life of the process.
const std::shared_ptr<Shared>& instance();

}  // namespace vistrel::VistrelTools
