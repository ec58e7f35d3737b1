#include "vistrel/store/vistrel_image.hpp"

#include <mutex>

namespace vistrel {

namespace {

platform::store::AttributeValue valueOf(std::optional<std::string> text) {
    if (text) return std::move(*text);
    return std::monostate{};
}

}  // namespace

void VistrelImage::registerClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        platform::store::registerObjectClass(std::string(entityName), [] { return std::make_shared<VistrelImage>(); });
    });
}

std::shared_ptr<VistrelImage> VistrelImage::insertInto(platform::store::ManagedObjectContext& context) {
    registerClass();
    const auto* entity = context.entityForName(entityName);
    if (!entity) return nullptr;
    return std::dynamic_pointer_cast<VistrelImage>(context.insertNewObject(*entity));
}

platform::store::FetchRequest VistrelImage::fetchRequest() { return platform::store::FetchRequest(std::string(entityName)); }

std::vector<std::string> VistrelImage::listedAttributes() {
    return {"date", "documentId", "identifier", "isFavorite", "title"};
}

void VistrelImage::setDate(std::optional<Date> date) {
    setValue("date", date ? platform::store::AttributeValue(*date) : platform::store::AttributeValue());
}

void VistrelImage::setDocumentId(std::optional<std::string> documentId) { setValue("documentId", valueOf(std::move(documentId))); }
void VistrelImage::setIdentifier(std::optional<std::string> identifier) { setValue("identifier", valueOf(std::move(identifier))); }
void VistrelImage::setPicture(std::optional<std::string> picture) { setValue("picture", valueOf(std::move(picture))); }
void VistrelImage::setTitle(std::optional<std::string> title) { setValue("title", valueOf(std::move(title))); }

}  // namespace vistrel
