#pragma once
// Resource identifiers shared by the .rc file and the code.
#define IDI_STOWLY 1

// Artwork, rendered from res/art by tools/render-art.sh, which reads the lines below:
// picture ID is rendered for 96, 144 and 192 dots per inch into the resources ID,
// ID+1 and ID+2 (PNG, RCDATA), at the size given in twips.
//      name                  id     source         style         twips
#define IDR_ART_CLEAN         100 // clean.svg      card.css      5565x1695
#define IDR_ART_CLEAN_HOT     110 // clean.svg      card-hot.css  5565x1695
#define IDR_ART_RESTORE       120 // restore.svg    card.css      5565x1695
#define IDR_ART_RESTORE_HOT   130 // restore.svg    card-hot.css  5565x1695
#define IDR_ART_POSITIONS     140 // positions.svg  card.css      5565x1695
#define IDR_ART_POSITIONS_HOT 150 // positions.svg  card-hot.css  5565x1695
#define IDR_ART_PANEL         160 // panel.svg      -             5640x6360

// The about box (300-399): its logo and the three pictures its logo's double-click reveals.
#define IDR_ART_ABOUT_LOGO    300 // icon.svg       -             1200x1200
#define IDR_ART_ABOUT_BOX     310 // about-box.svg  -             1200x1200
#define IDR_ART_ABOUT_SPARKLE 320 // about-sparkle.svg -         1080x1080
#define IDR_ART_ABOUT_SCREEN  330 // about-screen.svg -           1440x1080

// The icon positions dialog and the advanced clean and restore dialogs (res/dialogs.rc).
#define IDD_ICON_POSITIONS          400
#define IDC_POSITIONS_BANNER        401
#define IDC_POSITIONS_SAVE          402
#define IDC_POSITIONS_LOAD          403
#define IDC_POSITIONS_FRAME         404
#define IDC_POSITIONS_LABEL0        405 // to 408, hidden: the name boxes' accessible names
#define IDC_POSITIONS_LABEL1        406
#define IDC_POSITIONS_LABEL2        407
#define IDC_POSITIONS_LABEL3        408
#define IDC_POSITIONS_NAME0         410 // to 413
#define IDC_POSITIONS_NAME1         411
#define IDC_POSITIONS_NAME2         412
#define IDC_POSITIONS_NAME3         413
#define IDC_POSITIONS_BROWSE0       414 // to 417
#define IDC_POSITIONS_BROWSE1       415
#define IDC_POSITIONS_BROWSE2       416
#define IDC_POSITIONS_BROWSE3       417
#define IDD_ADVANCED_CLOSET         420
#define IDC_CLOSET_HEADING          421
#define IDC_CLOSET_DIRECTORY_LABEL  422
#define IDC_CLOSET_DIRECTORY        423
#define IDC_CLOSET_KEYFILE_LABEL    424
#define IDC_CLOSET_KEYFILE          425
#define IDC_CLOSET_WALLPAPER_LABEL  426
#define IDC_CLOSET_WALLPAPER        427
#define IDC_CLOSET_SCREEN_LABEL     428
#define IDC_CLOSET_SCREEN           429
#define IDC_CLOSET_PASSWORD_LABEL   430
#define IDC_CLOSET_PASSWORD         431
#define IDC_CLOSET_ICONS_LABEL      432
#define IDC_CLOSET_ICONS            433
