#pragma once
// The main window's input lists and board flags as the variant leaves them, for window tests:
//   "design"     no board file: the thirteen design-time items on both lists, nothing selected
//                (the board flags stay as they are);
//   "full"       the full board's lists;
//   "small H A"  small board, HDMI module on channel 11 and analog on channel 12 ("N": none).
#include <QString>

class TForm1;

void setBoard(TForm1& form1, const QString& board);
// The same, then the inputs selected by their text from code ("" selects nothing).
void setInputs(TForm1& form1, const QString& board, const QString& input11, const QString& input12);
