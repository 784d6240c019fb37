#pragma once

// Resources of zintavo.exe, shared by the resource script and the window.
// The icon is the named resource "IDR_MAINFRAME".
#define ZINTAVO_DIALOG 104
#define ZINTAVO_SPRITE_TYPE 102
#define ZINTAVO_SPRITES 103
#define ZINTAVO_SPRITES_2X 105

#define ZINTAVO_PORT_COMBO 1001
#define ZINTAVO_FACE_PANEL 1004
#define ZINTAVO_CHART_PANEL 1006
#define ZINTAVO_CLEAR 1008
#define ZINTAVO_HOLD 1009
#define ZINTAVO_ZOOM_IN 1011
#define ZINTAVO_ZOOM_OUT 1012
#define ZINTAVO_SCROLL_BAR 1014
#define ZINTAVO_READING_LIST 1015
