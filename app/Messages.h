#pragma once
// The texts the main window writes to the activity log, in one place.

namespace vela::msg {

// Start-up.
inline constexpr const char* kDesignCaption =
    "VelaLink - Программа конфигурации и отображения результатов измерений Vela";
inline constexpr const char* kApplicationTitle =
    "VelaLink - Программа индикации результатов преобразования Vela";
inline constexpr const char* kNoDebugConsole1 =
    "Не удалось проинициализировать интерфейс отладочной консоли.";
inline constexpr const char* kNoDebugConsole2 = "Отладочная информация будет недоступна.";
inline constexpr const char* kMissingResources =
    "Отсутствие необходимых ресурсов: \"CHK0 && CHK1\"\r\nНе позволяет программе быть выполненной.";

// Sequencer.
inline constexpr const char* kSendFailed =
    "Не удалось инициировать обмен данными.\r\nУбедитесь в правильности параметров связи с "
    "прибором и\r\nв правильности выполнения подключений.";
inline constexpr const char* kParamsNoAnswer = "Чтение параметров: нет ответа";
inline constexpr const char* kParamsNoAnswerEsc =
    "Чтение параметров: нет ответа (нажмите ESC для отмены)";
inline constexpr const char* kIdentNoAnswer = "Чтение идентификационной информации: нет ответа";
inline constexpr const char* kIdentNoAnswerEsc =
    "Чтение идентификационной информации: нет ответа (нажмите ESC для отмены)";
inline constexpr const char* kRepeatRequest = "Повтор запроса (нажмите ESC для отмены)";
inline constexpr const char* kClockNoAnswer = "Синхронизация времени: нет ответа";
inline constexpr const char* kReadDone = "Чтение выполнено.";
inline constexpr const char* kLinkRestored = "Связь установлена.";
// Traced when an operation opens the port: which end-of-answer rule runs.
inline constexpr const char* kFastExchangeTrace =
    "Обмен: быстрый (ответ принимается, как только кадр ответа полон)";
inline constexpr const char* kSilenceExchangeTrace = "Обмен: обычный (ответ завершает пауза 50 мс)";
inline constexpr const char* kFormatErrors =
    "Обнаружены ошибки формата данных.\r\nВероятная причина: конфликт логических "
    "адресов.\r\nВнешнее проявление: синхронное моргание светодиодов нескольких приборов при "
    "обмене.\r\nРекомендации: убедитесь, что всем приборам на линии RS-485 присвоены уникальные "
    "адреса.";

// Job completions and exceptions.
inline constexpr const char* kUnexpectedData =
    "Технология \"запрос-ответ\" не может быть выдержана.\r\nСопряжённое устройство выдаёт данные "
    "без запроса.\r\nУбедитесь в правильности параметров связи с прибором и\r\nв правильности "
    "выполнения подключений.";
inline constexpr const char* kNetworkTypeRead = "Тип электрической сети прочитан.";
inline constexpr const char* kWritingNetworkType = "Запись типа электрической сети...";
inline constexpr const char* kOperationDone = "Операция выполнена.";
inline constexpr const char* kOperationEnded = "Операция завершена.";
inline constexpr const char* kLinkSettingsRead = "Настройки рабочего интерфейса прочитаны.";
inline constexpr const char* kWritingLinkSettings = "Запись настроек рабочего интерфейса...";
inline constexpr const char* kValuesRead = "Значения, преобразованные Vela, прочитаны.";
inline constexpr const char* kFrequencyRead = "Значение частоты прочитано.";
inline constexpr const char* kClockRead = "Дата и время Vela прочитаны.";
inline constexpr const char* kClockSet = "Дата и время Vela установлены.";
inline constexpr const char* kUnknownNormalisation =
    "Неизвестный тип нормализации.\r\nОтображаемые величины могут быть некорректны";
inline constexpr const char* kReadParamsPrefix = "Чтение параметров: ";
inline constexpr const char* kWriteParamsPrefix = "Запись установок: ";
inline constexpr const char* kWriteClockPrefix = "Запись времени: ";
inline constexpr const char* kDeviceBusy = "Ожидание готовности. (Прибор занят)";
inline constexpr const char* kOnlyAsdu13 = "Данный прибор поддерживает только ASDU 13 (M_ME_NC_1)";
inline constexpr const char* kSpeedNote =
    "Данный прибор поддерживает скорости обмена только до 57600";
inline constexpr const char* kOldFirmware =
    "В приборе установлено устаревшее ПО.\r\nРекомендуется обновить прошивку прибора.";
inline constexpr const char* kClockNone = "нет";

// Settings writes: refused blind writes, and the truth after an early end.
inline constexpr const char* kSettingsNotRead =
    "Установки прибора не прочитаны: выполните «чтение», затем измените их и запишите.";
inline constexpr const char* kSettingsIncomplete =
    "Не все установки заданы: выберите протокол, скорость, формат, адрес и тип сети, затем "
    "запишите.";
inline constexpr const char* kOtherDeviceForWrite =
    "Отвечает другой прибор, не тот, чьи установки прочитаны: запись не выполнялась. "
    "Выполните «чтение».";
inline constexpr const char* kWriteStopping =
    "Запись останавливается после текущего запроса; затем установки будут прочитаны из прибора.";
inline constexpr const char* kWriteReadBack =
    "Запись не завершена: установки читаются из прибора, чтобы узнать, что записано.";
inline constexpr const char* kReadBackOnOtherLink = "Прибор не отвечает; чтение на установках: ";
inline constexpr const char* kReadBackNoAnswer =
    "Прибор не ответил на чтение установок: что записано, неизвестно.";
inline constexpr const char* kWriteBlocksHeading = "Блоки установок:";
inline constexpr const char* kWritePartial =
    "Установки записаны не полностью: проверьте связь, прочитайте установки («чтение») и "
    "повторите запись.";
inline constexpr const char* kWriteNothing = "Установки не записаны.";

// Operations.
inline constexpr const char* kClockSyncStart = "старт синхронизирующей последовательности...";
inline constexpr const char* kClockSyncCommand = "команда синхронизации...";
inline constexpr const char* kContinuousReading = "Непрерывное чтение...";
inline constexpr const char* kStopped = "Остановлено.";

inline constexpr const char* kVerifyFailed = "Верификация прибора не прошла.";
inline constexpr const char* kFactoryLinkNoAnswer =
    "Прибор не отвечает на заводских параметрах связи программы (MODBUS RTU, 38400, 8E1, адрес "
    "1).\r\nЧерез рабочий интерфейс (RS-485) прибор переходит на них только после завершения "
    "записи:\r\nзапишите заводские установки через технологический интерфейс (USB).";

// IEC 60870-5-101 workflows.
inline constexpr const char* kIecTraceReset = "МЭК.сброс канала";
inline constexpr const char* kIecTraceRead = "МЭК.чтение данных";
inline constexpr const char* kIecTraceReadClass1 = "МЭК.чтение данных класса 1";
inline constexpr const char* kIecTraceSync = "МЭК.синхронизация";
inline constexpr const char* kIecTraceInterrogation = "МЭК.команда опроса";
inline constexpr const char* kIecTraceLinkStatus = "МЭК.запрос состояния канала";
inline constexpr const char* kIecRefusedFormat = "Отказ: %s";
inline constexpr const char* kIecStatusFormat = "Статус: %s";
inline constexpr const char* kIecNoData = "нет данных";
inline constexpr const char* kIecNoConfirmation = "нет подтверждения";
inline constexpr const char* kIecRemoteNotReady = "удалённая сторона сообщает о неготовности";
inline constexpr const char* kIecLinkNotFunctioning =
    "Прибор сообщает, что канал не работает (функция 14 или 15), и после повторных сбросов "
    "канала.";
// The device's refusals, said once per reason and operation.
inline constexpr const char* kIecRefusedType = "Прибор отвечает: неизвестный тип ASDU %d";
inline constexpr const char* kIecRefusedCause = "Прибор отвечает: неизвестная причина передачи";
inline constexpr const char* kIecRefusedCommonAddress =
    "Прибор отвечает: неизвестный общий адрес ASDU %d";
inline constexpr const char* kIecRefusedObjectAddress =
    "Прибор отвечает: неизвестный адрес объекта информации";
inline constexpr const char* kIecNegativeConfirmation =
    "Прибор отвечает отрицательным подтверждением (тип ASDU %d, причина %d)";
inline constexpr const char* kIecOtherCommonAddress =
    "Получены ASDU с общим адресом %d, ожидается %d: они не показываются";
inline constexpr const char* kIecUndetermined = "недетерминированное состояние";
inline constexpr const char* kIecNoAnswerEsc =
    "Непрерывное чтение: нет ответа (нажмите ESC для отмены)";
inline constexpr const char* kIecLinkFailed = "Ошибка канального уровня: сообщение не доставлено.";
inline constexpr const char* kIecOperationFailed = "Операция не выполнена.";
inline constexpr const char* kIecMissingFormat = "Не получены: %s.";
inline constexpr const char* kIecEndedByProtocol =
    "Операция по протоколу IEC 60870-5-101 прервана: выбран другой протокол.";
inline constexpr const char* kIecEndedByPort =
    "Операция по протоколу IEC 60870-5-101 прервана: выбран другой порт.";
inline constexpr const char* kIecBadConnection =
    "Параметры протокола IEC 60870-5-101 из настроек прибора не подходят: ";
inline constexpr const char* kIecModbusOnly =
    "Эта операция выполняется только по протоколу MODBUS: выберите MODBUS RTU или MODBUS ASCII.";

// IEC 60870-5-101 response interpretation.
inline constexpr const char* kIecFormatErrors =
    "Обнаружены ошибки в формате входного потока данных.";
inline constexpr const char* kIecUnknownCause = "ASDU с неопределённым значением ПРИЧИНЫ ПЕРЕДАЧИ:";
inline constexpr const char* kIecCauseFields = "Причина передачи= %d, P/N= %d, T= %d";
inline constexpr const char* kIecUnknownCommonAddress = "Неизвестный ОБЩИЙ АДРЕС ASDU: %d";
inline constexpr const char* kIecUnknownObjectAddress =
    "Объект информации с неизвестным адресом: %d";
inline constexpr const char* kIecBadClockFormat =
    "Неизвестный формат ответного ASDU <103> [1<>N or 0<>SQ]";

inline constexpr const char* kFinalizeOnPreviousLink =
    "Нет ответа на заводских параметрах связи: завершение записи повторяется на прежних "
    "параметрах связи прибора.";
inline constexpr const char* kFinalizeAnsweredOnPreviousLink =
    "Прибор ответил на прежних параметрах связи; программа перешла на заводские параметры связи "
    "(MODBUS RTU, 38400, 8E1, адрес 1).";
inline constexpr const char* kFinalizeAnsweredOnFactoryLink =
    "Прибор ответил на заводских параметрах связи (MODBUS RTU, 38400, 8E1, адрес 1).";

// Captions.
inline constexpr const char* kReadContinuously = "читать непрерывно";
inline constexpr const char* kStopReading = "остановить чтение";

}  // namespace vela::msg
