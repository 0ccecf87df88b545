#include "linux/keys.hpp"

#include <xkbcommon/xkbcommon-keysyms.h>

namespace vorlune {

namespace {

struct KeyPair {
    unsigned long keysym;
    std::uint8_t virtualKey;
};

// Keys outside the letter, digit, function-key and keypad-digit runs.
constexpr KeyPair kNamedKeys[] = {
    {XKB_KEY_BackSpace, 0x08},    {XKB_KEY_Tab, 0x09},         {XKB_KEY_ISO_Left_Tab, 0x09},
    {XKB_KEY_Clear, 0x0C},        {XKB_KEY_Return, 0x0D},      {XKB_KEY_KP_Enter, 0x0D},
    {XKB_KEY_Shift_L, 0x10},      {XKB_KEY_Shift_R, 0x10},     {XKB_KEY_Control_L, 0x11},
    {XKB_KEY_Control_R, 0x11},    {XKB_KEY_Alt_L, 0x12},       {XKB_KEY_Alt_R, 0x12},
    {XKB_KEY_Meta_L, 0x12},       {XKB_KEY_Meta_R, 0x12},      {XKB_KEY_Pause, 0x13},
    {XKB_KEY_Caps_Lock, 0x14},    {XKB_KEY_Escape, 0x1B},      {XKB_KEY_space, 0x20},
    {XKB_KEY_Prior, 0x21},        {XKB_KEY_Next, 0x22},        {XKB_KEY_End, 0x23},
    {XKB_KEY_Home, 0x24},         {XKB_KEY_Left, 0x25},        {XKB_KEY_Up, 0x26},
    {XKB_KEY_Right, 0x27},        {XKB_KEY_Down, 0x28},        {XKB_KEY_Select, 0x29},
    {XKB_KEY_Print, 0x2C},        {XKB_KEY_Insert, 0x2D},      {XKB_KEY_Delete, 0x2E},
    {XKB_KEY_Help, 0x2F},         {XKB_KEY_Super_L, 0x5B},     {XKB_KEY_Super_R, 0x5C},
    {XKB_KEY_Menu, 0x5D},         {XKB_KEY_KP_Multiply, 0x6A}, {XKB_KEY_KP_Add, 0x6B},
    {XKB_KEY_KP_Separator, 0x6C}, {XKB_KEY_KP_Subtract, 0x6D}, {XKB_KEY_KP_Decimal, 0x6E},
    {XKB_KEY_KP_Divide, 0x6F},    {XKB_KEY_KP_Insert, 0x2D},   {XKB_KEY_KP_Delete, 0x2E},
    {XKB_KEY_KP_Home, 0x24},      {XKB_KEY_KP_End, 0x23},      {XKB_KEY_KP_Prior, 0x21},
    {XKB_KEY_KP_Next, 0x22},      {XKB_KEY_KP_Left, 0x25},     {XKB_KEY_KP_Up, 0x26},
    {XKB_KEY_KP_Right, 0x27},     {XKB_KEY_KP_Down, 0x28},     {XKB_KEY_KP_Begin, 0x0C},
    {XKB_KEY_Num_Lock, 0x90},     {XKB_KEY_Scroll_Lock, 0x91}, {XKB_KEY_semicolon, 0xBA},
    {XKB_KEY_equal, 0xBB},        {XKB_KEY_comma, 0xBC},       {XKB_KEY_minus, 0xBD},
    {XKB_KEY_period, 0xBE},       {XKB_KEY_slash, 0xBF},       {XKB_KEY_grave, 0xC0},
    {XKB_KEY_bracketleft, 0xDB},  {XKB_KEY_backslash, 0xDC},   {XKB_KEY_bracketright, 0xDD},
    {XKB_KEY_apostrophe, 0xDE},
};

}  // namespace

std::uint8_t virtualKeyForKeysym(unsigned long keysym) {
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z)
        return static_cast<std::uint8_t>('A' + (keysym - XKB_KEY_a));
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z)
        return static_cast<std::uint8_t>('A' + (keysym - XKB_KEY_A));
    if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9)
        return static_cast<std::uint8_t>('0' + (keysym - XKB_KEY_0));
    if (keysym >= XKB_KEY_F1 && keysym <= XKB_KEY_F24) {
        return static_cast<std::uint8_t>(0x70 + (keysym - XKB_KEY_F1));
    }
    if (keysym >= XKB_KEY_KP_0 && keysym <= XKB_KEY_KP_9) {
        return static_cast<std::uint8_t>(0x60 + (keysym - XKB_KEY_KP_0));
    }
    for (const KeyPair& pair : kNamedKeys) {
        if (pair.keysym == keysym) return pair.virtualKey;
    }
    return 0;
}

}  // namespace vorlune
