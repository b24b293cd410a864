#include "support/profile.h"
