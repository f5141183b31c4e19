#include "app/settings.h"

Settings theSettings;
