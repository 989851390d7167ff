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
