#include "shell/DialogOrigin.h"

namespace gsd {

DialogOrigin CentredDialogOrigin(int fullScreenWidth, int fullScreenHeight)
{
    return { fullScreenWidth / 2 - 200, fullScreenHeight / 2 - 100 };
}

} // namespace gsd
