#include "editor/frmdisignlayer.h"
