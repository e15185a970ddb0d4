#include "catalogue/Catalogue.h"
