// The controls of the main window: captions, items and hints, the program-side
// communication boxes and the device-side configuration boxes.

#include <cstdio>
#include <iterator>

#include "app/IecWorkflows.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "serial/PortDiscovery.h"
#include "serial/PortNames.h"

namespace vela {
namespace {

const std::vector<std::string> kProtocols = {"MODBUS RTU", "MODBUS ASCII", "IEC 60870-5-101"};
const std::vector<std::string> kFrames8 = {"8E1", "8O1", "8N2"};
const std::vector<std::string> kFrames7 = {"7E1", "7O1", "7N2"};
const char* const kFrameHint =
    "Выбор параметров передачи байта,\r\nгде\r\n   7,8 - количество бит данных;\r\n   N - нет "
    "бита чётности;\r\n   E - бит чётности;\r\n   O - бит нечётности;\r\n   1,2 - количество стоп "
    "бит.";

std::vector<std::string> Addresses() {
  std::vector<std::string> items;
  for (int a = 1; a <= 247; ++a) items.push_back(std::to_string(a));
  return items;
}

}  // namespace

void TForm1::SetUpControls() {
  cbInterfaceType.SetItems({"USB        (технологический)", "RS-485   (рабочий)"});
  ComboBox2.SetItems(kProtocols);
  ComboBox3.SetItems({"9600", "19200", "38400", "57600", "115200"});
  cbProtocolType.SetItems(kProtocols);
  cbProtocolType.SetItemIndex(0);
  cbSpeed.SetItems({"9600", "19200", "38400", "57600", "76800", "115200", "230400"});
  cbSpeed.SetItemIndex(2);
  ComboBox1.SetItems(
      std::vector<std::string>(std::begin(kRateLimitItems), std::end(kRateLimitItems)));
  ComboBox1.SetItemIndex(0);
  ComboBox1.SetVisible(false);
  Button4.SetCaption("прочитать однократно");
  Button5.SetCaption(msg::kReadContinuously);
  Button1.SetCaption("синхронизировать");
  Button7.SetCaption("чтение");
  Button3.SetCaption("запись");
  Button8.SetCaption("записать заводские установки");
  Button8.SetLeft(519);
  Button8.SetWidth(250);
  btnVerify.SetCaption("версия");
  btnIecCfg.SetCaption("опции");
  btnIecCfg.SetVisible(false);
  BitBtn1.SetCaption("сохранять показания в файл");
  edTime.SetReadOnly(true);
  Memo1.SetReadOnly(true);
  rb3w.SetCaption("3-х проводная сеть");
  rb4w.SetCaption("4-х проводная сеть");
  TRadioButton::Group({&rb3w, &rb4w});
  rb4w.SetChecked(true);
  GroupBox1.SetCaption(
      "   используемый интерфейс                                              HELP - наведите "
      "указатель мышки для подсказки");
  GroupBox3.SetCaption("конфигурация Vela");
  Image1.SetWidth(760);
  Image1.SetHeight(185);
  WireControlEvents();
}

void TForm1::WireControlEvents() {
  Button4.OnClick = Guarded(&TForm1::Button4Click);
  Button5.OnClick = Guarded(&TForm1::Button5Click);
  Button1.OnClick = Guarded(&TForm1::Button1Click);
  Button7.OnClick = Guarded(&TForm1::Button7Click);
  Button3.OnClick = Guarded(&TForm1::Button3Click);
  Button8.OnClick = Guarded(&TForm1::Button8Click);
  btnVerify.OnClick = Guarded(&TForm1::btnVerifyClick);
  BitBtn1.OnClick = Guarded(&TForm1::BitBtn1Click);
  cbInterfaceType.OnClick = Guarded(&TForm1::cbInterfaceTypeClick);
  cbComPort.OnClick = Guarded(&TForm1::cbComPortClick);
  ComboBox2.OnClick = Guarded(&TForm1::ComboBox2Click);
  ComboBox3.OnClick = Guarded(&TForm1::ComboBox3Click);
  ComboBox4.OnClick = Guarded(&TForm1::ComboBox4Click);
  cbAddr.OnClick = Guarded(&TForm1::cbAddrClick);
  cbProtocolType.OnClick = Guarded(&TForm1::cbProtocolTypeClick);
}

void TForm1::SetHints() {
  cbInterfaceType.SetHint("Выбор интерфейса, по которому программа обращается к устройству");
  cbComPort.SetHint("Выбор коммуникационного порта");
  ComboBox2.SetHint("Выбор используемого протокола");
  ComboBox3.SetHint("Выбор скорости передачи данных");
  ComboBox4.SetHint(kFrameHint);
  cbAddr.SetHint("Выбор адреса прибора, к которому идёт обращение");
  GroupBox3.SetHint(
      "В этой секции указываются параметры связи с Vela.\r\nНастройка параметров рабочего "
      "(RS-485) интерфейса Vela\r\nдоступна только при подключении через технологический (USB) "
      "интерфейс.");
  cbProtocolType.SetHint(ComboBox2.Hint());
  cbSpeed.SetHint(ComboBox3.Hint());
  cbFrame.SetHint(kFrameHint);
  cbAddress.SetHint("Логический адрес.\r\nПрибор отвечает только на запросы с заданным адресом.");
  Button4.SetHint("Эта кнопка позволяет произвести однократное чтение преобразованных величин");
  Button5.SetHint("Эта кнопка позволяет осуществлять многократное чтение преобразованных величин");
  Button1.SetHint(
      "Эта кнопка записывает текущее время компьютера во встроенные часы преобразователя");
  edTime.SetHint("текущее значение встроенных в преобразователь часов");
  Button7.SetHint(
      "Эта кнопка позволяет прочитать действующие установки из энергонезависимой памяти "
      "преобразователя");
  Button3.SetHint(
      "Эта кнопка позволяет записать сделанный выбор в энергонезависимую память преобразователя");
  Button8.SetHint("Эта кнопка позволяет записать в прибор настройки по-умолчанию");
  btnVerify.SetHint("Метрологическая верификация программного обеспечения");
  ComboBox1.SetHint("Ограничение на скорость записи данных в файл");
}

std::vector<std::string> TForm1::DiscoverComPorts() const {
  return FSeams.enumComPorts ? FSeams.enumComPorts() : EnumComPorts();
}

void TForm1::FillComPortList() {
  std::vector<std::string> ports;
  try {
    ports = DiscoverComPorts();
  } catch (...) {
    // Without a list of the ports present, offer every name.
    for (int n = 1; n <= 99; ++n) ports.push_back("COM" + std::to_string(n));
  }
  cbComPort.SetItems(ports);
  cbComPort.SetItemIndex(0);
  cbComPortClick();
}

void TForm1::DeviceChange(uint32_t eventCode) {
  if (eventCode != kDeviceArrived && eventCode != kDeviceRemoved) return;
  // With no entry shown (the port was unplugged), the port the user picked
  // last is the one to select again when it comes back.
  const std::string shown = cbComPort.ItemIndex() >= 0 ? cbComPort.Text() : FPort->PortName();
  try {
    cbComPort.SetItems(DiscoverComPorts());
  } catch (const std::exception& e) {
    ReportOutsideJob(e);
  }
  // The port object keeps its name until the user picks an entry.
  SelectComboItem(cbComPort, shown);
  FLinkPrmSource.clear();  // another device may sit behind the same name now
  FNetworkTypeKnown = false;
  FCosSupport = 0;
}

void TForm1::SetUpCommunicationBoxes() {
  ComboBox4.SetItems(kFrames8);
  cbFrame.SetItems(kFrames8);
  ComboBox4.SetItemIndex(0);
  cbFrame.SetItemIndex(0);
  cbAddr.SetItems(Addresses());
  cbAddress.SetItems(Addresses());
  cbAddr.SetItemIndex(0);
  cbAddress.SetItemIndex(0);
  cbInterfaceType.SetItemIndex(0);
  cbInterfaceTypeClick();
}

void TForm1::cbInterfaceTypeClick() {
  if (cbInterfaceType.ItemIndex() == 1) {  // RS-485
    ComboBox2.SetEnabled(!FBusy);
    ComboBox3.SetEnabled(true);
    ComboBox4.SetEnabled(true);
    cbAddr.SetVisible(true);
    btnIecCfg.SetEnabled(false);
  } else {  // USB: the service interface always talks MODBUS RTU, 38400, 8E1, address 1
    ComboBox2.SetItemIndex(0);
    SelectComboItem(ComboBox3, "38400");
    ComboBox4.SetItemIndex(0);
    ComboBox2.SetEnabled(false);
    ComboBox3.SetEnabled(false);
    ComboBox4.SetEnabled(false);
    cbAddr.SetVisible(false);
    SelectComboItem(cbAddr, "1");
    btnIecCfg.SetEnabled(cbProtocolType.ItemIndex() == 2);
  }
  try {  // a mode the open port cannot have is reported by the next Open
    FPort->SetRtsControl(cbInterfaceType.ItemIndex() == 1 ? FSeams.rs485Rts : RtsControl::Off);
  } catch (...) {
  }
  ComboBox2Click();
  ComboBox3Click();
  ComboBox4Click();
  cbAddrClick();
}

void TForm1::cbComPortClick() {
  // An IEC operation ends on the old port; the master then starts anew.
  if (FIec) FIec->EndOperation(msg::kIecEndedByPort);
  FPort->SetPortName(PortNameOfItem(cbComPort.Text()));  // "COM5 (нет доступа)" opens COM5
  FLinkPrmSource.clear();
  FNetworkTypeKnown = false;
  FCosSupport = 0;
  if (FIec) FIec->Master().ClearLinkState();
  if (FContinuousRunning && !InIecMode()) {
    FJobIndex = -1;
    Advance();
  }
}

void TForm1::ComboBox2Click() {
  if (ComboBox2.ItemIndex() == 2) {
    try {
      FPort->SetByteSize(8);
      ComboBox4.ReplaceItemsKeepingIndex(kFrames8);
      if (ChooseIecProtocol()) return;
    } catch (...) {
    }
    ComboBox2.SetItemIndex(0);  // cancelled, or the connection does not fit
  }
  LeaveIecMode();
  try {
    const bool ascii = ComboBox2.ItemIndex() == 1;
    FPacker->RtuMode = !ascii;
    FPort->SetByteSize(ascii ? 7 : 8);
    ComboBox4.ReplaceItemsKeepingIndex(ascii ? kFrames7 : kFrames8);
  } catch (...) {
    // The box keeps the new selection; the port reports its own failures on open.
  }
}

void TForm1::ComboBox3Click() {
  static const int kSpeeds[] = {9600, 19200, 38400, 57600, 115200};
  const int index = ComboBox3.ItemIndex();
  try {
    FPort->SetBaudRate(index >= 0 && index < 5 ? kSpeeds[index] : 9600);
  } catch (...) {
  }
  if (FIec) FIec->ApplyLineTiming();
}

void TForm1::ComboBox4Click() {
  // Parity codes: 0 none, 1 odd, 2 even; stop bits: 0 one, 2 two.
  static const uint8_t kParity[] = {2, 1, 0};
  static const uint8_t kStopBits[] = {0, 0, 2};
  const int index = ComboBox4.ItemIndex();
  if (index < 0 || index > 2) return;
  try {
    FPort->SetParity(kParity[index]);
    FPort->SetStopBits(kStopBits[index]);
  } catch (...) {
  }
  if (FIec) FIec->ApplyLineTiming();
}

void TForm1::cbAddrClick() {
  const int index = cbAddr.ItemIndex();
  if (index < 0) return;
  FPacker->Address = static_cast<uint8_t>(index + 1);
  if (FIec) FIec->Master().SetLinkAddress(static_cast<uint32_t>(index + 1));
}

void TForm1::cbProtocolTypeClick() {
  const bool iec = cbProtocolType.ItemIndex() == 2;
  btnIecCfg.SetVisible(iec);
  btnIecCfg.SetEnabled(iec && cbProtocolType.Enabled());
  cbFrame.ReplaceItemsKeepingIndex(cbProtocolType.ItemIndex() == 1 ? kFrames7 : kFrames8);
}

void TForm1::LinkSettingsToControls() {
  const uint8_t protocol = FLinkPrm->GetProtocol();
  cbProtocolType.SetItemIndex(protocol <= 2 ? protocol : 0);
  cbProtocolTypeClick();
  cbAddress.SetItemIndex(static_cast<int>(FLinkPrm->GetDeviceAddress()) - 1);
  const uint8_t speed = FLinkPrm->GetSpeedIndex();
  cbSpeed.SetItemIndex(speed <= 6 ? speed : 2);
  const uint8_t frame = FLinkPrm->GetFrameIndex();
  cbFrame.SetItemIndex(frame <= 2 ? frame : 0);
  const uint8_t type = FLinkPrm->GetNormalisationType();
  if (type >= 2 && type <= 4) {
    FNetworkTypeKnown = true;
  } else {
    Log(msg::kUnknownNormalisation);
  }
  (FLinkPrm->GetThreeWire() ? rb3w : rb4w).SetChecked(true);
  char caption[64];
  std::snprintf(caption, sizeof caption, "серийный номер %.6u", FLinkPrm->GetSerialNumber());
  GroupBox2.SetCaption(caption);
  FShownSerial = FLinkPrm->GetSerialNumber();
  TIecDeviceOptions& options = IecDeviceOptions();
  options.LinkAddressLength = FLinkPrm->GetIecLinkAddressLength();
  options.CotLength = FLinkPrm->GetIecCotLength();
  options.CommonAddressLength = FLinkPrm->GetIecCommonAddressLength();
  options.IoaLength = FLinkPrm->GetIecIoaLength();
}

}  // namespace vela
