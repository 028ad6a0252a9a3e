#include "app/CPlomeraDoc.h"
