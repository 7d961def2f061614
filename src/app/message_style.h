#pragma once
// Reading of a message box style word: which buttons, which look, which button
// the Return and Escape keys press.

enum class MessageLook { kNone, kError, kQuestion, kWarning, kInformation };

struct MessageButton {
    int answer;       // code returned when pressed
    const char *text; // label
};

struct MessageBoxLayout {
    MessageButton buttons[3];
    int buttonCount;
    int returnAnswer; // pressed by Return
    int escapeAnswer; // pressed by Escape or by closing the box
    MessageLook look;
};

// Buttons from the low four bits (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore,
// 3 Yes/No/Cancel, 4 Yes/No, 5 Retry/Cancel, anything else OK), the look from
// bits 4-7 (1 error, 2 question, 3 warning, 4 information).
MessageBoxLayout DecodeMessageStyle(int style);
