#include "app/instances.h"

#include "script/save_form.h"
#include "ui/form1.h"
#include "ui/form2.h"

#include <memory>

namespace scp {

namespace {

std::unique_ptr<Form1> g_form1;
std::unique_ptr<Form2> g_form2;
std::unique_ptr<SaveForm> g_savefrm;

} // namespace

Form1& form1()
{
    if (!g_form1)
        g_form1 = std::make_unique<Form1>();
    return *g_form1;
}

Form2& form2()
{
    if (!g_form2)
        g_form2 = std::make_unique<Form2>();
    return *g_form2;
}

SaveForm& savefrm()
{
    if (!g_savefrm)
        g_savefrm = std::make_unique<SaveForm>();
    return *g_savefrm;
}

void destroy_instances()
{
    // The About window and the workshop reach the main window, never the
    // other way round while it is being destroyed: they go first.
    g_form2.reset();
    g_savefrm.reset();
    g_form1.reset();
}

} // namespace scp
