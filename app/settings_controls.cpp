#include "settings_controls.h"

#include "bmp_button.h"
#include "cp1252.h"
#include "threshold_text.h"

#include <QLineEdit>

namespace {

std::array<std::uint8_t*, kOptionCount> optionFlags(Config& config)
{
    return {&config.ignoreCase, &config.ignorePunctuation, &config.anyOrder};
}

} // namespace

std::array<bool, kOptionCount> SettingsControls::optionsOn() const
{
    return {config_.ignoreCase != 0, config_.ignorePunctuation != 0, config_.anyOrder != 0};
}

void SettingsControls::attach(const std::array<myBMPButton*, kOptionCount>& options,
                              const std::array<QLineEdit*, kThresholdCount>& thresholds)
{
    options_ = options;
    thresholds_ = thresholds;
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        thresholds_[i]->setText(fromCp1252(VokTransBuf::text(buffer_.thresholdText[i])));
}

void SettingsControls::take()
{
    // A flag keeps its stored byte (any non-zero value means on) until the user switches its
    // button; from then on it is 0 or 1, also when switched back.
    const auto flags = optionFlags(config_);
    for (std::size_t i = 0; i < kOptionCount; ++i) {
        const bool on = options_[i]->On();
        if (optionSwitched_[i] || on != (*flags[i] != 0)) *flags[i] = on ? 1 : 0;
    }
    for (std::size_t i = 0; i < kThresholdCount; ++i) {
        QLineEdit* field = thresholds_[i];
        if (!field->isModified()) continue;
        const ThresholdField taken = clampThresholdField(toCp1252(field->text()));
        VokTransBuf::setText(buffer_.thresholdText[i], taken.text);
        field->setText(QString::fromLatin1(taken.text)); // clears the modified flag
    }
}

bool SettingsControls::save()
{
    buffer_.storeThresholds();
    return config_.save();
}
