#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "vistrel/platform/foundation/folder_name.hpp"

// A name as a folder name: what can be one stays as it is; what cannot, or would mean
// another folder, is escaped; what is too long is cut and marked by its digest. No two
// names of the table give one form.
TEST(FolderNameTest, EveryNameGivesOneFolderOfItsOwn) {
    using namespace std::string_literals;
    const std::string longName(300, 'n'), longAccents = std::string(101, 'a') + [] {
        std::string accents;
        for (int i = 0; i < 100; ++i) accents += "\xc3\xa9";
        return accents;
    }();
    struct Row {
        std::string name, form;
    };
    const std::vector<Row> rows = {
        {"alpha", "alpha"},
        {"my app 2", "my app 2"},
        {"page.jpg", "page.jpg"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
        {"", "%"},
        {".", "%2E"},
        {"..", "%2E."},
        {".hidden", "%2Ehidden"},
        {"%2E.", "%252E."},
        {"%", "%25"},
        {"a/b", "a%2Fb"},
        {"a\0b"s, "a%00b"},
        {"a.b.", "a.b."},
    };
    std::set<std::string> forms;
    for (const Row& row : rows) {
        EXPECT_EQ(platform::folderNameFor(row.name), row.form) << row.name;
        forms.insert(row.form);
    }
    for (const std::string& name : {longName, longName + "o", longAccents}) {
        const std::string form = platform::folderNameFor(name);
        EXPECT_LE(form.size(), 200u) << name;
        EXPECT_EQ(form.substr(form.size() - 18, 2), "%~");
        // The name's start, cut where a character starts.
        const std::string kept = form.substr(0, form.size() - 18);
        EXPECT_EQ(kept, name.substr(0, kept.size()));
        EXPECT_NE(static_cast<unsigned char>(name[kept.size()]) & 0xC0, 0x80) << kept;
        forms.insert(form);
    }
    EXPECT_EQ(forms.size(), rows.size() + 3);
}
