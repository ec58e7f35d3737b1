#pragma once
// The new-contact screen: shows a contact's fields under "Cancel" and "Done" (the
// screen is meant to sit in a navigation controller). "Done" saves the contact through
// the screen's store (its card file is written) and hands the saved contact to the
// delegate; "Cancel" hands it none. The delegate is held weakly and is the one to
// dismiss the screen. Main thread only.
#include <memory>
#include <optional>
#include <vector>

#include "vistrel/platform/services/contact.hpp"
#include "vistrel/platform/services/contact_field_list.hpp"
#include "vistrel/platform/services/contact_store.hpp"
#include "vistrel/platform/ui/view_controller.hpp"

namespace platform::services {

class ContactViewController;

class ContactViewControllerDelegate {
public:
    virtual ~ContactViewControllerDelegate() = default;
    virtual void contactViewController(ContactViewController& controller, const std::optional<Contact>& contact) = 0;
};

class ContactViewController : public ui::ViewController {
public:
    // The screen that offers a new contact, filled from `contact` (empty when none).
    static std::shared_ptr<ContactViewController> forNewContact(std::optional<Contact> contact);

    explicit ContactViewController(Contact contact);

    const Contact& contact() const { return contact_; }
    const std::optional<ContactStore>& contactStore() const { return store_; }
    void setContactStore(std::optional<ContactStore> store) { store_ = std::move(store); }
    std::shared_ptr<ContactViewControllerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(std::weak_ptr<ContactViewControllerDelegate> delegate) { delegate_ = std::move(delegate); }

    // The rows the screen shows, in order.
    std::vector<DisplayedField> displayedFields() const;

    // What "Done" does: saves, then tells the delegate. False, with a line and the
    // screen left open, when there is no store or the file cannot be written.
    bool saveContact();
    // What "Cancel" does.
    void cancel();

    void loadView() override;
    void viewDidLoad() override;
    // Keeps the first row clear of a translucent navigation bar over the screen.
    void viewWillAppear(bool animated) override;

private:
    void doneTapped() { saveContact(); }
    void finish(const std::optional<Contact>& contact);

    Contact contact_;
    std::optional<ContactStore> store_;
    std::weak_ptr<ContactViewControllerDelegate> delegate_;
};

// The rows a contact shows: name, organisation, job, phones, e-mails, addresses, web
// addresses and note; empty values are left out.
std::vector<DisplayedField> contactFields(const Contact& contact);

}  // namespace platform::services
