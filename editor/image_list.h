#pragma once
// The pictures of the main window's tool bar and menus, numbered as the tool bar uses them:
//  0 new animation       1 animate               2 animate selection   3 edit frame
//  4 new frame           5 delete frames         6 open GIF            7 save
//  8 stop animation      9 duplicate frame      10 frame delay        11 wizards
// 12 insert wizard frames 13 wizards (pointer on the drop-down arrow) 14 flip up-down
// 15 flip left-right    16 rotate               17 frame effects      18 trace
//
// Each picture is taken from the desktop's icon theme when it has one, otherwise drawn here,
// so no picture is ever blank (the offscreen platform has no theme).

#include <QIcon>

#include <vector>

constexpr int kImageListSize = 19;

// The drawn picture of an index (16 by 16); a null icon outside 0..18.
QIcon drawnToolImage(int index);

// The picture of an index: the theme's icon if there is one, else drawnToolImage.
QIcon toolImage(int index);

// All pictures, index 0 to 18.
std::vector<QIcon> makeImageList();
