#include <string>
#include <utility>

#include "vistrel/core/data_directory.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/activity_view_controller.hpp"
#include "vistrel/platform/services/event_store.hpp"
#include "vistrel/platform/services/geocoder.hpp"
#include "vistrel/platform/services/map_item.hpp"
#include "vistrel/platform/services/vcard_reader.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"
#include "vistrel/platform/ui/view.hpp"
#include "vistrel/presentation/calendar_event_import.hpp"
#include "vistrel/screens/actions/action_text_view_controller.hpp"
#include "vistrel/screens/actions/calendar_event_launch.hpp"
#include "vistrel/screens/actions/presenting_screen.hpp"
#include "vistrel/screens/actions/vistrel_tools.hpp"

namespace vistrel::VistrelTools {

namespace {

using platform::services::Coordinate;

void openMap(Coordinate coordinate, const std::string& locationName, std::intptr_t zoomlevel) {
    const double distance = zoomlevel <= 0 ? 18.0 : static_cast<double>(zoomlevel);
    const auto region = platform::services::coordinateRegionWithDistance(coordinate, distance, distance);
    platform::services::MapItem item(coordinate);
    if (!locationName.empty()) item.setName(locationName);
    item.openInMaps({region.center, region.span});
}

}  // namespace

void launchCalendar(const Target& target, const std::string& ical) {
    launchCalendarEvent(target, ical, platform::services::EventStore(calendarEventsFolder()), instance());
}

void share(const Target& target, std::vector<platform::services::ActivityItem> objectsToShare,
           const std::shared_ptr<platform::ui::BarButtonItem>& barButton) {
    std::weak_ptr<platform::ui::ViewController> weakTarget = target;
    auto make = [weakTarget, items = std::move(objectsToShare), barButton] {
        auto sheet = std::make_shared<platform::services::ActivityViewController>(items);
        // Where the sheet shows as a popover it needs something to point at: the bar
        // button, else the middle of the target's screen.
        auto target = weakTarget.lock();
        sheet->setAnchor(platform::ui::popoverAnchor(barButton, target ? target->viewIfLoaded() : nullptr));
        return sheet;
    };
    presentOverTarget(target, std::move(make), "the share sheet");
}

void launchMap(std::optional<double> latitude, std::optional<double> longitude, std::optional<std::string> address,
               const std::string& locationName, std::intptr_t zoomlevel) {
    std::optional<Coordinate> given;
    if (latitude && longitude) given = Coordinate{*latitude, *longitude};
    if (!address) {
        if (given) openMap(*given, locationName, zoomlevel);
        return;
    }
    platform::services::Geocoder().geocodeAddressString(
        std::move(*address), [given, locationName, zoomlevel](std::vector<platform::services::Placemark> placemarks,
                                                              std::optional<platform::Error> error) {
            if (!placemarks.empty() && placemarks.front().location) {
                openMap(*placemarks.front().location, locationName, zoomlevel);
                return;
            }
            // With no geocoding service at all the address cannot be looked up; the
            // coordinates the action also gives are the best place to show.
            const bool noService = error && error->domain == platform::services::geocoderErrorDomain &&
                                   error->code == static_cast<long>(platform::services::GeocoderErrorCode::noService);
            if (noService && given) openMap(*given, locationName, zoomlevel);
        });
}

std::filesystem::path contactsFolder() { return dataDirectory() / "Contacts"; }

void launchVcard(const Target& target, const std::string& vCard) {
    auto contacts = platform::services::contactsFromVCard(vCard);
    if (contacts.empty()) {
        platform::log("Unable to show the new contact");
        return;
    }
    auto make = [contact = std::move(contacts.front())] {
        auto screen = platform::services::ContactViewController::forNewContact(contact);
        screen->setContactStore(platform::services::ContactStore(contactsFolder()));
        screen->setDelegate(instance());
        return std::make_shared<platform::ui::NavigationController>(screen);
    };
    presentOverTarget(target, std::move(make), "the new contact");
}

void text(const Target& target, const std::string& text) {
    auto make = [text] {
        auto page = ActionTextViewController::instance();
        page->text = text;
        return std::make_shared<platform::ui::NavigationController>(page);
    };
    presentOverTarget(target, std::move(make), "the text");
}

}  // namespace vistrel::VistrelTools
