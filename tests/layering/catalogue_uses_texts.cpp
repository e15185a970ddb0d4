#include "texts/LanguageIndex.h"
