# Helpers that run the data generators at build time and embed their output with .incbin.

# qb_embed(<out_var> <symbol> <binary file> <section>) writes an assembler file that puts the
# binary under <symbol>, with one zero byte after it (a looped sample that ends the data reads one
# byte past it), and its size in bytes, worked out by the assembler, as the 32-bit <symbol>_size.
function(qb_embed out_var symbol file section)
  set(asm "${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.S")
  if(EMSCRIPTEN)
    # WebAssembly objects name a section per symbol and need every data symbol's size.
    string(REPLACE "." "" kind "${section}")
    file(WRITE "${asm}.in"
"/* Embedded data: ${symbol} */
    .section .${kind}.${symbol},\"\",@
    .globl ${symbol}
    .p2align 4
${symbol}:
    .incbin \"${file}\"
.L${symbol}_end:
    .int8 0
    .size ${symbol}, .L${symbol}_end - ${symbol}
    .section .rodata.${symbol}_size,\"\",@
    .globl ${symbol}_size
    .p2align 2
${symbol}_size:
    .int32 .L${symbol}_end - ${symbol}
    .size ${symbol}_size, 4
")
    configure_file("${asm}.in" "${asm}" COPYONLY)
    set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${file}")
    set(${out_var} "${asm}" PARENT_SCOPE)
    return()
  endif()
  file(WRITE "${asm}.in"
"/* Embedded data: ${symbol} */
    .section ${section}
    .global ${symbol}
    .balign 16
${symbol}:
    .incbin \"${file}\"
.L${symbol}_end:
    .byte 0
    .balign 4
    .section .rodata
    .global ${symbol}_size
    .balign 4
${symbol}_size:
    .4byte .L${symbol}_end - ${symbol}
    .section .note.GNU-stack,\"\",%progbits
")
  configure_file("${asm}.in" "${asm}" COPYONLY)
  set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${file}")
  set(${out_var} "${asm}" PARENT_SCOPE)
endfunction()
