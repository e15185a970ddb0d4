#include "protocol/DownloadItem.h"

#include "protocol/DecimalNumber.h"
#include "protocol/FieldList.h"

namespace gsd {

ItemKind ItemKindOf(std::string_view line)
{
    return static_cast<ItemKind>(ReadDecimal(GetField(line, DownloadItemField::Kind, FieldSeparator)));
}

} // namespace gsd
