#pragma once
// The layer shell's generated header names a parameter `namespace`, which
// C++ reserves; what it includes comes first, untouched.
#include <stddef.h>
#include <stdint.h>
#include <wayland-client.h>

#define namespace layer_namespace
#include "protocols/wlr-layer-shell-unstable-v1.h"
#undef namespace
