#pragma once

// A write past the file size limit (ulimit -f) ends the process with SIGXFSZ
// unless the signal is ignored; ignored, the write fails with "plik jest za
// duży" and is handled like a full disk: the line is taken back and the user
// is told once. Every program of the project that writes report files calls
// this first thing in main. Nothing happens where the signal does not exist.
void ignoreFileSizeSignal();
