# Turns the sample hex text into a C++ source defining ui::kSampleText.
# Usage: cmake -DIN=sample.hex -DOUT=SampleText.cpp -P EmbedSample.cmake
file(READ ${IN} text)
string(STRIP "${text}" text)
if(NOT text MATCHES "^[0-9A-F]+$")
  message(FATAL_ERROR "${IN}: expected one line of upper-case hexadecimal digits")
endif()
string(LENGTH "${text}" length)
set(body "")
set(at 0)
while(at LESS length)
  string(SUBSTRING "${text}" ${at} 120 chunk)
  string(APPEND body "    \"${chunk}\"\n")
  math(EXPR at "${at} + 120")
endwhile()
file(WRITE ${OUT}.tmp
  "// Generated from tools/sample.hex; do not edit.\n"
  "namespace ui {\n"
  "extern const char kSampleText[];\n"
  "const char kSampleText[] =\n${body};\n"
  "}  // namespace ui\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
