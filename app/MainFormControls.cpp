// The controls of the main window: captions, items and hints, the program-side
// communication boxes and the device-side configuration boxes, bound to the
// engine's link and device settings.

#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "app/Messages.h"
#include "serial/PortDiscovery.h"
#include "serial/PortNames.h"

namespace vela {
namespace {

const char* const kFrameHint =
    "Выбор параметров передачи байта,\r\nгде\r\n   7,8 - количество бит данных;\r\n   N - нет "
    "бита чётности;\r\n   E - бит чётности;\r\n   O - бит нечётности;\r\n   1,2 - количество стоп "
    "бит.";

std::vector<std::string> Addresses() {
  std::vector<std::string> items;
  for (int a = 1; a <= 247; ++a) items.push_back(std::to_string(a));
  return items;
}

// The address an address box shows, 0 when none.
int ShownAddress(const TComboBox& box) {
  return box.ItemIndex() >= 0 ? std::stoi(box.Text()) : 0;
}

}  // namespace

void TForm1::SetUpControls() {
  cbInterfaceType.SetItems({"USB        (технологический)", "RS-485   (рабочий)"});
  ComboBox2.SetItems(kProtocolNames);
  ComboBox3.SetItems(kProgramSpeeds);
  cbProtocolType.SetItems(kProtocolNames);
  cbProtocolType.SetItemIndex(0);
  cbSpeed.SetItems(kDeviceSpeeds);
  cbSpeed.SetItemIndex(kFactorySpeedIndex);
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
  btnWiring.SetCaption("векторная диаграмма");
  btnIecCfg.SetCaption("опции");
  btnIecCfg.SetVisible(false);
  BitBtn1.SetCaption("сохранять показания в файл");
  edTime.SetReadOnly(true);
  Memo1.SetReadOnly(true);
  rb3w.SetCaption(kNetworkNames[0]);
  rb4w.SetCaption(kNetworkNames[1]);
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
  btnWiring.OnClick = Guarded(&TForm1::btnWiringClick);
  BitBtn1.OnClick = Guarded(&TForm1::BitBtn1Click);
  cbInterfaceType.OnClick = Guarded(&TForm1::cbInterfaceTypeClick);
  cbComPort.OnClick = Guarded(&TForm1::cbComPortClick);
  ComboBox2.OnClick = Guarded(&TForm1::ComboBox2Click);
  ComboBox3.OnClick = Guarded(&TForm1::ComboBox3Click);
  ComboBox4.OnClick = Guarded(&TForm1::ComboBox4Click);
  cbAddr.OnClick = Guarded(&TForm1::cbAddrClick);
  cbProtocolType.OnClick = Guarded(&TForm1::cbProtocolTypeClick);
  // The device boxes are the settings a write sends: the engine follows every change.
  for (TControl* box : std::initializer_list<TControl*>{&cbProtocolType, &cbSpeed, &cbFrame,
                                                        &cbAddress, &rb3w, &rb4w}) {
    box->OnChanged.Add([this](TControl&) { TakeDeviceSettings(); });
  }
  ComboBox1.OnChanged.Add([this](TControl&) { FEngine->SetRecordInterval(ComboBox1.ItemIndex()); });
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
  btnWiring.SetHint("Векторная диаграмма и проверка подключения цепей тока и напряжения");
  ComboBox1.SetHint("Ограничение на скорость записи данных в файл");
}

TForm1::TPortList TForm1::DiscoverComPorts() const {
  TPortList list;
  if (FSeams.enumComPorts) {
    list.items = FSeams.enumComPorts();
    return list;
  }
  const std::vector<SerialPortInfo> ports = ListSerialPorts();
  for (const SerialPortInfo& port : ports) list.items.push_back(PortListItem(port));
  list.preferred = PreferredPortIndex(ports);
  return list;
}

void TForm1::FillComPortList() {
  TPortList ports;
  try {
    ports = DiscoverComPorts();
  } catch (...) {
    // Without a list of the ports present, offer every name.
    for (int n = 1; n <= 99; ++n) ports.items.push_back("COM" + std::to_string(n));
  }
  cbComPort.SetItems(ports.items);
  cbComPort.SetItemIndex(static_cast<int>(ports.preferred));
  cbComPortClick();
}

int TForm1::PortItemIndex(const std::string& portName) const {
  const std::vector<std::string>& items = cbComPort.Items();
  for (size_t i = 0; i < items.size(); ++i) {
    if (PortNameOfItem(items[i]) == portName) return static_cast<int>(i);
  }
  return -1;
}

bool TForm1::ChoosePort(const std::string& portName) {
  const int index = PortItemIndex(portName);
  if (index >= 0) cbComPort.Choose(index);
  return index >= 0;
}

void TForm1::DeviceChange(uint32_t eventCode) {
  if (eventCode != kDeviceArrived && eventCode != kDeviceRemoved) return;
  // With no entry shown (the port was unplugged), the port the user picked
  // last is the one to select again when it comes back.
  const std::string shown =
      cbComPort.ItemIndex() >= 0 ? PortNameOfItem(cbComPort.Text()) : FEngine->FPort->PortName();
  try {
    cbComPort.SetItems(DiscoverComPorts().items);
  } catch (const std::exception& e) {
    FEngine->ReportOutsideJob(e);
  }
  // The port object keeps its name until the user picks an entry; the item
  // is found by the name (its text may change with the access to it).
  cbComPort.SetItemIndex(PortItemIndex(shown));
  FEngine->PortsChanged();
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
  const bool rs485 = cbInterfaceType.ItemIndex() == 1;
  if (rs485) {
    ComboBox2.SetEnabled(!FEngine->Busy());
    ComboBox3.SetEnabled(true);
    ComboBox4.SetEnabled(true);
    cbAddr.SetVisible(true);
    btnIecCfg.SetEnabled(false);
  } else {  // the service interface: its link is fixed, the engine sets it
    ComboBox2.SetEnabled(false);
    ComboBox3.SetEnabled(false);
    ComboBox4.SetEnabled(false);
    cbAddr.SetVisible(false);
    btnIecCfg.SetEnabled(cbProtocolType.ItemIndex() == 2);
  }
  // The boxes as they stand, for the engine to apply.
  TProgramLink link = FEngine->ProgramLink();
  link.protocol = ComboBox2.ItemIndex();
  link.speedIndex = ComboBox3.ItemIndex();
  link.frame = ComboBox4.ItemIndex();
  if (cbAddr.ItemIndex() >= 0) link.address = ShownAddress(cbAddr);
  FEngine->SetInterface(rs485, link);
  ComboBox4.ReplaceItemsKeepingIndex(FramesOfProtocol(ComboBox2.ItemIndex()));
}

void TForm1::cbComPortClick() {
  FEngine->SelectPort(cbComPort.Text());
}

void TForm1::ComboBox2Click() {
  FEngine->SetProgramProtocol(ComboBox2.ItemIndex());
  // Cancelled, or the connection does not fit: the engine fell back.
  ComboBox2.SetItemIndex(FEngine->ProgramLink().protocol);
  ComboBox4.ReplaceItemsKeepingIndex(FramesOfProtocol(ComboBox2.ItemIndex()));
}

void TForm1::ComboBox3Click() {
  FEngine->SetProgramSpeed(ComboBox3.ItemIndex());
}

void TForm1::ComboBox4Click() {
  FEngine->SetProgramFrame(ComboBox4.ItemIndex());
}

void TForm1::cbAddrClick() {
  if (cbAddr.ItemIndex() < 0) return;
  FEngine->SetProgramAddress(ShownAddress(cbAddr));
}

void TForm1::cbProtocolTypeClick() {
  const bool iec = cbProtocolType.ItemIndex() == 2;
  btnIecCfg.SetVisible(iec);
  btnIecCfg.SetEnabled(iec && cbProtocolType.Enabled());
  cbFrame.ReplaceItemsKeepingIndex(FramesOfProtocol(cbProtocolType.ItemIndex()));
}

void TForm1::ShowProgramLink() {
  const TProgramLink& link = FEngine->ProgramLink();
  ComboBox2.SetItemIndex(link.protocol);
  ComboBox4.ReplaceItemsKeepingIndex(FramesOfProtocol(link.protocol));
  ComboBox3.SetItemIndex(link.speedIndex);
  ComboBox4.SetItemIndex(link.frame);
  // An IEC link address beyond the MODBUS addresses is listed after them.
  std::vector<std::string> addresses = Addresses();
  if (link.address > kMaxAddress) addresses.push_back(std::to_string(link.address));
  if (addresses != cbAddr.Items()) cbAddr.ReplaceItemsKeepingIndex(std::move(addresses));
  cbAddr.SetItemIndex(link.address > kMaxAddress ? kMaxAddress : link.address - 1);
}

void TForm1::ShowDeviceSettings() {
  const TDeviceSettingsModel settings = FEngine->DeviceSettings();
  FShowingDeviceSettings = true;
  cbProtocolType.SetItemIndex(settings.protocol);
  if (settings.protocol >= 0) cbProtocolTypeClick();
  cbSpeed.SetItemIndex(settings.speedIndex);
  cbFrame.SetItemIndex(settings.frame);
  cbAddress.SetItemIndex(settings.address - 1);
  if (settings.threeWire) {
    (*settings.threeWire ? rb3w : rb4w).SetChecked(true);
  } else {
    rb3w.SetChecked(false);
    rb4w.SetChecked(false);
  }
  FShowingDeviceSettings = false;
}

void TForm1::TakeDeviceSettings() {
  if (FShowingDeviceSettings) return;  // the boxes are being set from the engine
  TDeviceSettingsModel settings;
  settings.protocol = cbProtocolType.ItemIndex();
  settings.speedIndex = cbSpeed.ItemIndex();
  settings.frame = cbFrame.ItemIndex();
  settings.address = cbAddress.ItemIndex() + 1;
  settings.threeWire = rb3w.Checked()   ? std::optional<bool>(true)
                       : rb4w.Checked() ? std::optional<bool>(false)
                                        : std::nullopt;
  FEngine->SetDeviceSettings(settings);
}

}  // namespace vela
