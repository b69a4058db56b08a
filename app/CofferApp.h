#pragma once

/// The tray icon's callback message, registered before any window exists.
extern const unsigned TrayCallbackMessage;

/// The application: prepares the process, loads the skin, runs the main window modally for
/// the program's whole life, and releases the skin after the main window is gone.
class CCofferApp {
public:
    /// Builds the Qt application and runs InitInstance and ExitInstance; the process's
    /// exit code.
    int Run(int argc, char** argv);

    /// Start-up and the main window's run. Returns false: the program ends when the main
    /// window has ended.
    bool InitInstance();
    /// Releases the skin; the exit code.
    int ExitInstance();
};

extern CCofferApp theApp;
