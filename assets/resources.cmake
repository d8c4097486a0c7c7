# The list of everything the generator (tools/gen) writes; the build embeds exactly these.
# A name missing here is not embedded; a name the generator does not write fails the build.
set(TAVO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(TAVO_RES_DIR ${TAVO_GENERATED_DIR}/res)

set(TAVO_PICTURES
  pic/back.ppm                       # main window background 671x650, uncompressed for a quick start
  pic/key_cf_up.jpg pic/key_cf_down.jpg     # main keys c and f, 65x249
  pic/key_dga_up.jpg pic/key_dga_down.jpg   # d, g and a
  pic/key_eb_up.jpg pic/key_eb_down.jpg     # e and b
  pic/key_black_down.png                    # a main black key pressed, 40x156
  pic/menu_play.png pic/menu_write.png pic/menu_help.png pic/menu_about.png  # 114x63
  pic/title.png                      # 32x20
  pic/bottom.png                     # 670x14
  pic/sheet.png                      # score sheet 620x200
  pic/setboard.png pic/setboard_down.png    # keyboard switch 43x34
  pic/demo.png pic/demo_down.png pic/follow.png pic/follow_down.png   # 示范 and 跟弹 43x34
  pic/rhythm.png pic/rhythm_down.png # 节奏 43x34
  pic/oper_import.png pic/oper_export.png  # import and export a song 33x42
  pic/oper_delete.png                # delete a song 33x34
  pic/kb2_back.png                   # second keyboard 1087x282
  pic/kb2_white_up.jpg pic/kb2_white_down.jpg   # 58x249
  pic/kb2_black.png pic/kb2_black_down.png      # 59x162, transparent beside the key
  pic/about.png                      # about panel 468x310
  cursor/HAND.png                    # pointing hand 32x32, hot spot 10,2
)
# Entry panel buttons, released and pressed: symbols 32x32, 音长/音高 33x42, 增加/清除 32x32, 提交 33x34.
foreach(b sym_bar sym_dash sym_slur sym_dot sym_space sym_break sym_text op_long op_high op_add op_clear op_submit)
  list(APPEND TAVO_PICTURES pic/${b}.png pic/${b}_down.png)
endforeach()

# Glyphs: rests, 63 notes, symbols, and the slur arc. The one list of their names: the
# program and the generator read it from glyph_names.inc.
set(_glyph_names NOTE_000 NOTE_010 NOTE_020)
foreach(d RANGE 1 7)
  foreach(l RANGE 0 2)
    foreach(h RANGE 0 2)
      list(APPEND _glyph_names NOTE_${d}${l}${h})
    endforeach()
  endforeach()
endforeach()
foreach(s 9000 9001 9002 9003 9005 9101 9201 9004)
  list(APPEND _glyph_names NOTE_${s})
endforeach()
set(TAVO_GLYPHS)
set(_inc "// Generated from assets/resources.cmake: every glyph name\n")
foreach(g IN LISTS _glyph_names)
  list(APPEND TAVO_GLYPHS glyph/${g}.png)
  string(APPEND _inc "QStringLiteral(\"${g}\"),\n")
endforeach()
# Signs drawn over a note cell before its digit: transparent 16x31 overlays, not glyphs of their own.
foreach(g SIGN_SHARP SIGN_FLAT SIGN_NATURAL)
  list(APPEND TAVO_GLYPHS glyph/${g}.png)
endforeach()
file(MAKE_DIRECTORY ${TAVO_GENERATED_DIR})
file(CONFIGURE OUTPUT ${TAVO_GENERATED_DIR}/glyph_names.inc CONTENT "${_inc}")

# Samples: one table of names, shared with the program through voice_names.inc.
set(TAVO_VOICES_FILE ${CMAKE_SOURCE_DIR}/assets/voices.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${TAVO_VOICES_FILE})
file(STRINGS ${TAVO_VOICES_FILE} _voice_lines REGEX "^[1-4] ")
set(TAVO_WAVES)
set(_inc "// Generated from assets/voices.txt: {set, slot, name}\n")
foreach(line IN LISTS _voice_lines)
  string(REPLACE " " ";" f "${line}")
  list(GET f 0 vset)
  list(GET f 1 vslot)
  list(GET f 2 vname)
  list(APPEND TAVO_WAVES wave/${vname}.wav)
  string(APPEND _inc "{${vset}, ${vslot}, \"${vname}\"},\n")
endforeach()
list(LENGTH TAVO_WAVES _n)
if(NOT _n EQUAL 192)
  message(FATAL_ERROR "assets/voices.txt must name 192 samples, it names ${_n}")
endif()
file(MAKE_DIRECTORY ${TAVO_GENERATED_DIR})
file(CONFIGURE OUTPUT ${TAVO_GENERATED_DIR}/voice_names.inc CONTENT "${_inc}")

# Every picture and glyph again at twice the size, for screens of twice the pixel density.
set(TAVO_PICTURES_2X)
foreach(f IN LISTS TAVO_PICTURES TAVO_GLYPHS)
  string(REGEX REPLACE "\\.([a-z]+)$" "@2x.\\1" f2 "${f}")
  list(APPEND TAVO_PICTURES_2X ${f2})
endforeach()

set(TAVO_RESOURCE_FILES)
foreach(f IN LISTS TAVO_PICTURES TAVO_GLYPHS TAVO_PICTURES_2X TAVO_WAVES)
  list(APPEND TAVO_RESOURCE_FILES ${TAVO_RES_DIR}/${f})
endforeach()
