#include "app/ServerStages.h"
