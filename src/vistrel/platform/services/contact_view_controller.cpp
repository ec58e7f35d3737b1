#include "vistrel/platform/services/contact_view_controller.hpp"

#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/ui/bar_button_item.hpp"
#include "vistrel/platform/ui/navigation_controller.hpp"

namespace platform::services {

namespace {

// A value's label names its row ("mobile", "work"); an unlabelled one shows its kind.
std::string labelled(const std::string& kind, const std::string& label) { return label.empty() ? kind : label; }

std::string addressText(const PostalAddress& a) {
    std::string region(a.state);
    if (!a.postalCode.empty()) region.append(region.empty() ? "" : " ").append(a.postalCode);
    std::string out;
    for (const std::string* text : {&a.street, &a.city, static_cast<const std::string*>(&region), &a.country}) {
        if (text->empty()) continue;
        if (!out.empty()) out.append(", ");
        out.append(*text);
    }
    return out;
}

}  // namespace

std::vector<DisplayedField> contactFields(const Contact& contact) {
    std::vector<DisplayedField> fields;
    appendField(fields, "Name", displayName(contact));
    appendField(fields, "Nickname", contact.nickname);
    if (displayName(contact) != contact.organizationName) appendField(fields, "Company", contact.organizationName);
    appendField(fields, "Department", contact.departmentName);
    appendField(fields, "Job Title", contact.jobTitle);
    for (const auto& phone : contact.phoneNumbers) appendField(fields, labelled("phone", phone.label), phone.value);
    for (const auto& mail : contact.emailAddresses) appendField(fields, labelled("email", mail.label), mail.value);
    for (const auto& address : contact.postalAddresses)
        appendField(fields, labelled("address", address.label), addressText(address.value));
    for (const auto& url : contact.urlAddresses) appendField(fields, labelled("url", url.label), url.value);
    appendField(fields, "Note", contact.note);
    return fields;
}

std::shared_ptr<ContactViewController> ContactViewController::forNewContact(std::optional<Contact> contact) {
    return std::make_shared<ContactViewController>(contact ? std::move(*contact) : Contact{});
}

ContactViewController::ContactViewController(Contact contact) : contact_(std::move(contact)) {
    setTitle("New Contact");
}

std::vector<DisplayedField> ContactViewController::displayedFields() const { return contactFields(contact_); }

void ContactViewController::loadView() {
    auto list = std::make_shared<FieldListView>();
    list->setFields(contactFields(contact_));
    setView(list);
}

void ContactViewController::viewDidLoad() {
    ViewController::viewDidLoad();
    auto self = std::static_pointer_cast<ContactViewController>(shared_from_this());
    auto cancel = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::cancel);
    cancel->setTarget(self, &ContactViewController::cancel);
    auto done = std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::done);
    done->setTarget(self, &ContactViewController::doneTapped);
    navigationItem().setLeftBarButtonItem(cancel);
    navigationItem().setRightBarButtonItem(done);
}

void ContactViewController::viewWillAppear(bool animated) {
    ViewController::viewWillAppear(animated);
    auto navigation = navigationController();
    const bool covered = navigation && !navigation->isNavigationBarHidden() && navigation->navigationBar().isTranslucent();
    if (auto list = std::dynamic_pointer_cast<FieldListView>(view()))
        list->setTopInset(covered ? ui::NavigationBar::statusBarHeight + ui::NavigationBar::defaultHeight : 0);
}

bool ContactViewController::saveContact() {
    if (!store_) {
        log("ContactViewController :: no contact store, the contact is not saved");
        return false;
    }
    if (std::optional<Error> error = store_->saveContact(contact_)) {
        log(std::string("ContactViewController :: the contact is not saved: ").append(error->description()));
        return false;
    }
    finish(contact_);
    return true;
}

void ContactViewController::cancel() { finish(std::nullopt); }

void ContactViewController::finish(const std::optional<Contact>& contact) {
    // The delegate usually dismisses the screen; keep it alive through the call.
    auto self = shared_from_this();
    if (auto delegate = delegate_.lock()) delegate->contactViewController(*this, contact);
}

}  // namespace platform::services
