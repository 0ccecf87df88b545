/* Resource numbers of Vorlune.scr, shared by the .rc file and the code. */
#pragma once

#define VORLUNE_PREVIEW_BACKGROUND 101 /* JPEG, 152 x 112: grid planes on black */
#define VORLUNE_PREVIEW_SCENE 102      /* JPEG, 152 x 112: a still of the scene */
#define VORLUNE_ICON 1                 /* the program's icon: the first one, shown by Explorer */
