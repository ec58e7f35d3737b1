// Contact cards read into contacts, saved as files and read back, and the new-contact
// screen's two endings.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_dir.hpp"
#include "vistrel/platform/foundation/file_io.hpp"
#include "vistrel/platform/foundation/log.hpp"
#include "vistrel/platform/services/contact_store.hpp"
#include "vistrel/platform/services/contact_view_controller.hpp"
#include "vistrel/platform/services/vcard_reader.hpp"
#include "vistrel/platform/ui/render.hpp"

namespace platform::services {
namespace {

struct CardCase {
    const char* name;
    const char* text;
    std::vector<std::string> displayNames;  // one per contact read
    std::string firstPhone;                 // "label=value" of the first contact's first phone
    std::string firstNote;
};

class VCardText : public ::testing::TestWithParam<CardCase> {};

TEST_P(VCardText, ReadsEveryContact) {
    const CardCase& c = GetParam();
    LogCapture log;
    const std::vector<Contact> contacts = contactsFromVCard(c.text);
    std::vector<std::string> names;
    for (const Contact& contact : contacts) names.push_back(displayName(contact));
    EXPECT_EQ(names, c.displayNames);
    EXPECT_EQ(log.contains("no contact"), contacts.empty());
    if (contacts.empty()) return;
    const Contact& first = contacts.front();
    EXPECT_EQ(first.phoneNumbers.empty() ? std::string()
                                         : first.phoneNumbers[0].label + "=" + first.phoneNumbers[0].value,
              c.firstPhone);
    EXPECT_EQ(first.note, c.firstNote);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, VCardText,
    ::testing::Values(
        CardCase{"Version3FoldedEscapedCrLf",
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Durand;Anne;Marie;Dr.;\r\nFN:Dr. Anne Durand\r\n"
                 "TEL;TYPE=CELL,VOICE:+33 6 12 34\r\n 56 78\r\nNOTE:first\\, second\\; third\\nfourth \\\\ end\r\n"
                 "END:VCARD\r\n",
                 {"Dr. Anne Marie Durand"}, "mobile=+33 6 12 3456 78", "first, second; third\nfourth \\ end"},
        CardCase{"Version4WithLfAndTelAddress",
                 "BEGIN:VCARD\nVERSION:4.0\nFN:Bo Lind\nN:Lind;Bo;;;\n"
                 "TEL;VALUE=uri;TYPE=\"work,voice\":tel:+46-8-555\nEND:VCARD\n",
                 {"Bo Lind"}, "work=+46-8-555", ""},
        CardCase{"SeveralContactsInOneText",
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nN:One;A;;;\r\nEND:VCARD\r\n"
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Two Only\r\nEND:VCARD\r\n"
                 "begin:vcard\r\nversion:4.0\r\nitem1.ORG:Three Inc.;Sales\r\nend:vcard\r\n",
                 {"A One", "Two Only", "Three Inc."}, "", ""},
        CardCase{"LastCardCutShortIsKept",
                 "BEGIN:VCARD\nN:Kept;Cut;;;\nBEGIN:VCARD\nN:Short;Also;;;\nTEL:12", {"Cut Kept", "Also Short"}, "", ""},
        CardCase{"MalformedLinesAreSkipped",
                 "BEGIN:VCARD\nno colon here\n;:\nTEL;TYPE=\"unterminated:1\nN:Solid;Sam\nEND:VCARD",
                 {"Sam Solid"}, "", ""},
        CardCase{"NoCardGivesNoContact", "N:Loose;Line;;;\nEND:VCARD\n", {}, "", ""},
        CardCase{"EmptyTextGivesNoContact", "", {}, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

Contact fullContact() {
    Contact contact;
    contact.givenName = "Zoë";
    contact.familyName = "Ng; Lee";
    contact.organizationName = "Acme, Ltd";
    contact.departmentName = "R&D";
    contact.jobTitle = "Engineer";
    contact.phoneNumbers = {{"mobile", "+1 555 0100"}, {"", "0200"}};
    contact.emailAddresses = {{"work", "zoe@example.com"}};
    contact.postalAddresses = {{"home", {"1 Main St\nFlat 2", "Springfield", "IL", "62701", "USA"}}};
    contact.urlAddresses = {{"", "https://example.com/a;b"}};
    contact.note = std::string(60, 'x') + "éééééééééééééééééééé, done\nnext line";
    return contact;
}

TEST(ContactStore, SavedContactsAreWrittenAsCardsAndReadBack) {
    testsupport::TempDir dir;
    const ContactStore store(dir / "contacts");
    ContactSaveRequest request;
    request.addContact(fullContact());
    Contact second;
    second.identifier = "../escape";  // not a plain name: the store gives a new one
    second.givenName = "Second";
    request.addContact(second);
    ASSERT_EQ(store.execute(request), std::nullopt);
    ASSERT_EQ(request.addedContacts().size(), 2u);
    for (const Contact& saved : request.addedContacts()) {
        ASSERT_TRUE(saved.identifier);
        EXPECT_NE(*saved.identifier, "../escape");
        EXPECT_TRUE(std::filesystem::exists(dir / "contacts" / (*saved.identifier + ".vcf")));
    }
    std::vector<Contact> back = store.savedContacts();
    std::vector<Contact> expected = request.addedContacts();
    auto byId = [](const Contact& a, const Contact& b) { return a.identifier < b.identifier; };
    std::sort(back.begin(), back.end(), byId);
    std::sort(expected.begin(), expected.end(), byId);
    EXPECT_EQ(back, expected);
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "escape.vcf"));
}

TEST(ContactStore, AFolderThatCannotBeWrittenGivesAnError) {
    testsupport::TempDir dir;
    LogCapture log;
    const auto blocker = dir.write("file", "x");  // a file where the folder should be
    Contact contact = fullContact();
    EXPECT_TRUE(ContactStore(blocker / "contacts").saveContact(contact));
    EXPECT_FALSE(contact.identifier);
    EXPECT_TRUE(ContactStore("").saveContact(contact));
}

struct ContactEnding : ContactViewControllerDelegate {
    std::vector<std::optional<Contact>> endings;
    void contactViewController(ContactViewController&, const std::optional<Contact>& contact) override {
        endings.push_back(contact);
    }
};

TEST(ContactViewController, DoneSavesTheContactAndCancelSavesNothing) {
    testsupport::TempDir dir;
    auto delegate = std::make_shared<ContactEnding>();
    auto screen = ContactViewController::forNewContact(contactsFromVCard("BEGIN:VCARD\nN:Roe;Jo\nTEL:1\nEND:VCARD").at(0));
    screen->setDelegate(delegate);
    EXPECT_EQ(screen->displayedFields(), (std::vector<DisplayedField>{{"Name", "Jo Roe"}, {"phone", "1"}}));
    screen->loadViewIfNeeded();
    ASSERT_TRUE(screen->navigationItem().rightBarButtonItem());

    {
        LogCapture log;  // no store yet: the screen stays and the delegate hears nothing
        screen->navigationItem().rightBarButtonItem()->sendAction();
        EXPECT_TRUE(log.contains("not saved"));
        EXPECT_TRUE(delegate->endings.empty());
    }
    screen->setContactStore(ContactStore(dir.path()));
    screen->navigationItem().rightBarButtonItem()->sendAction();
    screen->navigationItem().leftBarButtonItem()->sendAction();
    ASSERT_EQ(delegate->endings.size(), 2u);
    ASSERT_TRUE(delegate->endings[0]);
    EXPECT_EQ(ContactStore(dir.path()).savedContacts(), std::vector<Contact>{*delegate->endings[0]});
    EXPECT_EQ(delegate->endings[1], std::nullopt);
}

TEST(ContactViewController, DrawsEachFieldNameInGreyBesideItsValueInBlack) {
    auto screen = ContactViewController::forNewContact(fullContact());
    screen->view()->setFrame({0, 0, 375, 600});
    const auto bitmap = ui::render(*screen->view(), 1);
    ASSERT_TRUE(bitmap);
    // The darkest pixel of a band of rows and columns.
    auto darkest = [&](int x0, int x1, int y0, int y1) {
        double least = 1;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) least = std::min(least, bitmap->pixel(x, y).r);
        return least;
    };
    const int rows = static_cast<int>(screen->displayedFields().size() * FieldListView::rowHeight);
    EXPECT_NEAR(darkest(16, 112, 0, 44), 0.5, 0.1);  // "Name" in grey
    EXPECT_LT(darkest(112, 359, 0, 44), 0.2);        // the name itself in black
    EXPECT_GT(darkest(0, 375, rows, 600), 0.99);     // white below the last row
}

}  // namespace
}  // namespace platform::services
