// Gives ConfigPage's meta-object a home.
#include "workspace/pages/config_page.h"
