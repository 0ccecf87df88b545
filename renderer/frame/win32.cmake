# Windows: Vorlune.dll, the full-screen renderer (a program despite its name).
