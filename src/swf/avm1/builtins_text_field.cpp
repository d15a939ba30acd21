#include "swf/avm1/builtins.h"

namespace tavelin::swf::avm1 {

void InstallTextField(Interpreter& vm) { (void)vm; }

}  // namespace tavelin::swf::avm1
