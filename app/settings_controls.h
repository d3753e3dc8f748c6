#pragma once

#include "config.h"
#include "vok_trans_buf.h"

#include <array>
#include <cstddef>

class QLineEdit;
class myBMPButton;

inline constexpr std::size_t kOptionCount = 3; // ignore case, ignore punctuation, any order

// The settings the dialog's controls show and change: the three option buttons and the five
// threshold fields. At start the controls show the settings; what the user changed in them
// goes back into the record with take(), and the record's file is written with save().
class SettingsControls {
public:
    explicit SettingsControls(Config& config) : config_(config), buffer_(config) {}

    // The stored option flags in button order (any non-zero value means on).
    std::array<bool, kOptionCount> optionsOn() const;
    // The controls once made; the threshold fields get the stored texts.
    void attach(const std::array<myBMPButton*, kOptionCount>& options,
                const std::array<QLineEdit*, kThresholdCount>& thresholds);
    // The user pressed an unlocked option button.
    void optionPressed(std::size_t index) { optionSwitched_[index] = true; }
    // The option buttons' states and the changed threshold fields (clamped) into the record.
    void take();
    // The record's file written now, the thresholds included; false when that failed (errno).
    bool save();

    const std::array<QLineEdit*, kThresholdCount>& thresholdFields() const { return thresholds_; }
    // The transfer buffer of the dialog's texts; it hands the thresholds back when it goes.
    VokTransBuf& buffer() { return buffer_; }
    Config& config() { return config_; }

private:
    Config& config_;
    VokTransBuf buffer_;
    std::array<bool, kOptionCount> optionSwitched_{}; // switched by the user at least once
    std::array<myBMPButton*, kOptionCount> options_{};
    std::array<QLineEdit*, kThresholdCount> thresholds_{};
};
