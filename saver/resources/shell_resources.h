/* Resource numbers of Vorlune.scr, shared by the .rc file and the code. */
#pragma once

#define VORLUNE_PREVIEW_BACKGROUND 101 /* JPEG, 152 x 112: grid planes on black */
#define VORLUNE_PREVIEW_SCENE 102      /* JPEG, 152 x 112: a still of the scene */
#define VORLUNE_ICON 1                 /* the program's icon: the first one, shown by Explorer */

/* The settings dialog's push button: 64 x 25, 24-bit; only the outer 4 pixels
   are used, corners as they are and edges stretched. */
#define VORLUNE_BUTTON_NORMAL 201           /* at rest: dark blue outline, white face */
#define VORLUNE_BUTTON_HIGHLIGHT 202        /* under the mouse: amber inner border */
#define VORLUNE_BUTTON_HIGHLIGHT_SELECT 203 /* under the mouse and the default: as 202 */
#define VORLUNE_BUTTON_SELECTED 204         /* the default button: light blue inner border */
#define VORLUNE_BUTTON_PRESSED 205          /* held down: greyer face, shadow at the top */
#define VORLUNE_BUTTON_DISABLE 206          /* disabled: pale grey-beige, no blue */

/* The option mark, 12 x 12, 24-bit. */
#define VORLUNE_OPTION_OFF 211 /* an empty box, light grey border, white inside */
#define VORLUNE_OPTION_ON 212  /* the same box filled blue */

#define VORLUNE_HAND_CURSOR 221 /* 32 x 32 monochrome hand pointing up, hot spot at its tip */
