#pragma once
// libjpeg's interface. Its headers use FILE and size_t without including the
// header that declares them, so that header comes first.

// clang-format off
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on
