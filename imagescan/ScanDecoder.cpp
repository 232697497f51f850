#include "ScanDecoder.h"
