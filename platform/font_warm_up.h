#pragma once

#include <thread>

// Reads the system's font configuration on a helper thread while the program connects to the
// display, so that the first font the window asks for does not wait for it (fontconfig: about
// 7 ms with the fonts a desktop has). Made before the QApplication, whose construction takes
// longer; where there is no fontconfig, or no thread can be started, it does nothing.
class FontConfigWarmUp {
public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

    // Returns once the configuration is read (at once when it is, or when there is no thread).
    void wait();

private:
    std::thread thread_;
};
