#pragma once

// How a message window presents itself to assistive technology (Qt accessibility, handed on to
// AT-SPI on Linux): role Dialog, named by its title, with one child of role StaticText whose
// name is the window's whole text (MSGWin::shownText()) and which offers it through the text
// interface too, so a screen reader can read it line by line. The child is made only when a
// client asks for it and lives as long as the window's own interface.
//
// MSGWin's constructor calls this; the first call registers the interface factory.
void installMsgWinAccessible();

class MSGWin;
// Tells assistive technology that the window's current table cell has the focus.
void tellCurrentCell(MSGWin* window);
