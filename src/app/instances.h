#pragma once

namespace scp {

class Form1;
class Form2;
class SaveForm;

// The single global instance of each window. Each is created on first use
// and lives until the program ends; main() creates Form1 first.
Form1& form1();
Form2& form2();   // the About window
SaveForm& savefrm(); // the hidden workshop: menus, templates, output buffer

// Program end: destroys every window that exists, in a safe order.
void destroy_instances();

} // namespace scp
