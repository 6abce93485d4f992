/* handheld.h's names: each drawing call's bit 6, by the name of its sense, lands where the name
 * says, and key codes go through the key register unchanged. The pixels are all read before
 * anything is printed: the console draws into the LCD too. */
#include <handheld.h>

int main(void)
{
    static const char *what[] = {"Line to the LCD",          "Point to the buffer",
                                 "Block to the LCD",         "Rectangle to the buffer",
                                 "the Point after Refresh",  "the Rectangle after Refresh",
                                 "Line inverted",            "MODE_NONE"};
    int lcd[8], n = 0, i;
    int keys[4] = {KEY_F1, KEY_ESC, KEY_LEFT, KEY_ZERO};
    ClearScreen();
    Refresh();
    Line(0, 0, 20, 0, MODE_SET | LINE_TO_LCD);
    lcd[n++] = GetPoint(10, 0);
    Point(10, 2, MODE_SET | LINE_TO_BUFFER);
    lcd[n++] = GetPoint(10, 2);
    Block(30, 30, 40, 40, MODE_SET | BLOCK_TO_LCD);
    lcd[n++] = GetPoint(35, 35);
    Rectangle(50, 50, 60, 60, MODE_SET | BLOCK_TO_BUFFER);
    lcd[n++] = GetPoint(50, 55);
    Refresh(); /* the buffer onto the LCD */
    lcd[n++] = GetPoint(10, 2);
    lcd[n++] = GetPoint(50, 55);
    Line(0, 0, 20, 0, MODE_INVERT | LINE_TO_LCD);
    lcd[n++] = GetPoint(10, 0);
    Line(0, 5, 20, 5, MODE_NONE | LINE_TO_LCD);
    lcd[n++] = GetPoint(10, 5);
    for (i = 0; i < n; i++) printf("%s: %d\n", what[i], lcd[i] != 0);
    for (i = 0; i < 4; i++) {
        PutKey(keys[i]);
        printf("key %d: %d\n", keys[i], Inkey() == keys[i]);
    }
    return 0;
}
