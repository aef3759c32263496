// Identifiers of the resources that the executable carries, shared by the
// resource script and the code. Plain defines: the resource compiler reads it.
#pragma once

#define IDD_ABOUT 2003
#define IDS_DESCRIPTION 1
#define IDI_SAVER 100
#define IDB_ABOUT_PICTURE 155
// The scene texture; the saver's own resources hold no bitmap with this id.
#define IDB_SCENE_TEXTURE 156
