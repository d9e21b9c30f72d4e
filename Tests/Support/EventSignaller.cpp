// Opens the event named by its argument and signals it: the other process of the event tests.
// Exit code 0 when signalled, 1 when the event could not be opened, 2 when setting it failed.
#include <EventAccessControl.h>

#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2)
    {
        return 3;
    }
    using Kelvo::Utilities::EventAccessControl;
    const auto event = EventAccessControl::OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, argv[1]);
    if (!event)
    {
        return 1;
    }
    return EventAccessControl::SetEvent(event) ? 0 : 2;
}
