// The About box (template 100): the program's name, version and icon.
#pragma once

#include "platform/Dialog.h"

namespace gsd {

class AboutDialog final : public Dialog {
};

} // namespace gsd
