#include "platform/GamePaths.h"
