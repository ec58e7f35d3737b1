#pragma once
// One history record: a scanned page, or a photo kept while offline and never sent.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vistrel/platform/store/fetch_request.hpp"
#include "vistrel/platform/store/managed_object.hpp"
#include "vistrel/platform/store/managed_object_context.hpp"

namespace vistrel {

using Date = platform::store::Date;

class VistrelImage : public platform::store::ManagedObject {
public:
    static constexpr std::string_view entityName = "VistrelImage";

    // Makes the store build records of the entity "VistrelImage" as this class.
    static void registerClass();

    // A new record of the entity, inserted into the context; none when the context's
    // model lacks the entity.
    static std::shared_ptr<VistrelImage> insertInto(platform::store::ManagedObjectContext& context);
    // A request for every record of the entity.
    static platform::store::FetchRequest fetchRequest();
    // The attributes a list reads: all but the photo an earlier version kept inside the
    // record, which only the migration reads (and a caller asking for it, then).
    static std::vector<std::string> listedAttributes();

    std::optional<Date> date() const { return dateValue("date"); }
    void setDate(std::optional<Date> date);

    // The recognised image's document identifier; none for a photo never sent.
    std::optional<std::string> documentId() const { return stringValue("documentId"); }
    void setDocumentId(std::optional<std::string> documentId);

    // The key of the record and the name of its photo file.
    std::optional<std::string> identifier() const { return stringValue("identifier"); }
    void setIdentifier(std::optional<std::string> identifier);

    bool isFavorite() const { return boolValue("isFavorite"); }
    void setIsFavorite(bool isFavorite) { setValue("isFavorite", isFavorite); }

    // JPEG bytes as older versions kept the photo inside the record; moved to a file by
    // the migration. Read from the store when asked of a listed record.
    std::optional<std::string> picture() const { return stringValue("picture"); }
    void setPicture(std::optional<std::string> picture);

    std::optional<std::string> title() const { return stringValue("title"); }
    void setTitle(std::optional<std::string> title);
};

}  // namespace vistrel
