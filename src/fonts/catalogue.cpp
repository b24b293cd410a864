#include "fonts/catalogue.h"
