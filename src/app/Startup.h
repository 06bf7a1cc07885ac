#pragma once
// What the program sets up before its windows: who it is (the model number
// from the name it was started under), the Japanese locale with Qt's own
// translations, Qt's message boxes in place of the console ones, and the
// sound output with the speech engine.

class QApplication;

namespace app {

void prepareApplication(QApplication& application, const char* argv0);

// Who the program is (platform::programIdentity()), from the name it was
// started under; the first step of prepareApplication.
void identifyProgram(const char* argv0);

} // namespace app
