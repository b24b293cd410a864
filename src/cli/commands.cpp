#include "convert/driver.h"
