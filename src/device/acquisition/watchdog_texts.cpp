#include "device/acquisition/watchdog_texts.h"

namespace qs40 {

std::string watchdogCaption(bool russian) {
    return russian ? "Предупреждение" : "Warning";
}

std::string faultText(LinkFault fault, bool russian) {
    switch (fault) {
    case LinkFault::ConnectionLost:
        return russian ? "Восстановление после потери связи с устройством.\r\nКод ошибки 1"
                       : "Recover after USB connection lost.\r\nError code 1";
    case LinkFault::FpgaConfigurationFailure:
        return russian ? "Восстановление после сбоя инициализации FPGA.\r\nКод ошибки 2"
                       : "Recover after FPGA configuration failure.\r\nError code 2";
    case LinkFault::PowerFailure:
        return russian ? "Восстановление после сбоя питания устройства.\r\nКод ошибки 3"
                       : "Recover after Power failure.\r\nError code 3";
    case LinkFault::FpgaConfigurationLost:
        return russian ? "Восстановление после потери конфигурации FPGA.\r\nКод ошибки 4"
                       : "Recover after FPGA configuration lost.\r\nError code 4";
    }
    return {};
}

std::string unstableLinkText(bool russian) {
    return russian ? "Неустойчивая связь с устройством.\r\nКод ошибки 5"
                   : "Unstable USB connection.\r\nError code 5";
}

} // namespace qs40
