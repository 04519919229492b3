// The device list: every camera present by its number; choosing one moves the picture to it.
#include "viewer.h"

namespace viewer {

void FillDeviceList(Viewer& viewer)
{
    int absentAsked = 0;
    viewer.deviceList = viewer.camera.ListDevices(&absentAsked);
    viewer.quietDeviceErrors += absentAsked;
    SendMessageA(viewer.devices, CB_RESETCONTENT, 0, 0);
    int selected = -1;
    for (std::size_t i = 0; i < viewer.deviceList.size(); ++i) {
        const DeviceEntry& entry = viewer.deviceList[i];
        const std::string text = entry.name + " (device " + std::to_string(entry.number) + ")";
        SendMessageA(viewer.devices, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (entry.number == viewer.camera.deviceNumber())
            selected = int(i);
    }
    SendMessageA(viewer.devices, CB_SETCURSEL, WPARAM(selected), 0);
    if (viewer.deviceList.empty())
        ShowMessage(viewer, "no camera found");
    else if (selected < 0)
        ShowMessage(viewer, "device " + std::to_string(viewer.camera.deviceNumber()) + " is not present");
}

void OnDeviceChosen(Viewer& viewer)
{
    const LRESULT index = SendMessageA(viewer.devices, CB_GETCURSEL, 0, 0);
    if (index < 0 || std::size_t(index) >= viewer.deviceList.size())
        return;
    const int number = viewer.deviceList[std::size_t(index)].number;
    if (number == viewer.camera.deviceNumber() && viewer.camera.running())
        return;
    viewer.camera.Stop();
    if (viewer.camera.SelectDevice(number)) {
        LogLine(viewer, "device " + std::to_string(number) + " chosen");
        RestartPicture(viewer);
    }
}

}  // namespace viewer
