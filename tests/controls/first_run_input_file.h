// The config\input.cfg of a first controls run without a file in which the player
// keeps the keyboard with its preset and presses OK, byte for byte.
#ifndef VELMORA_TESTS_FIRST_RUN_INPUT_FILE_H
#define VELMORA_TESTS_FIRST_RUN_INPUT_FILE_H

constexpr char kFirstRunKeyboardFile[] =
    "VERSION=1\r\n"
    "DEVICE=\"\x83\x4C\x81\x5B\x83\x7B\x81\x5B\x83\x68\"\r\n"  // キーボード
    "FORCEFEEDBACK=0\r\n"
    "LEFT=111,0,0,-1000\r\n"
    "RIGHT=112,0,0,1000\r\n"
    "ACCELE=45,0,0,-1000\r\n"
    "BRAKE=44,0,0,1000\r\n"
    "SHIFTUP=114\r\n"
    "SHIFTDOWN=109\r\n"
    "SIDEBRAKE=46\r\n"
    "LIGHT=32\r\n"
    "VIEWUP=30\r\n"
    "VIEWDOWN=31\r\n";

#endif
