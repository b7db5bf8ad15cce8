#include "ui/Version.h"
