#include "tags/facade/formattag.h"

#include "common/text.h"

#include <cstring>

namespace tags {

int DeleteItemsByNameAndValue(TFormatTag& tag, const std::string& name, const std::string& value) {
    return DeleteNativeItemsIf(tag, [&](const TNativeItem& item) {
        return common::equalsNoCase(item.Id, name) && common::equalsNoCase(item.Value, value);
    });
}

bool TNullFormatTag::Assign(const TFormatTag& source) { return std::strcmp(source.FormatName(), FName) == 0; }

}  // namespace tags
