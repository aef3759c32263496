// Bitmap ids of the texture test's own resources, shared by its resource
// script and its code. Id 156 is the scene texture itself.
#pragma once
#include "resources/resource_ids.h"

#define IDB_TEST_GOOD_SMALL 161
#define IDB_TEST_FOUR_BIT 162
#define IDB_TEST_RLE8 163
#define IDB_TEST_TOP_DOWN 164
#define IDB_TEST_TRUNCATED 165
#define IDB_TEST_THIRTY_TWO_BIT 166
