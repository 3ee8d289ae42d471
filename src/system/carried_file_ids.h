// Ids of the files the installer carries (resource type FILE), for the resource script
// and the code that writes them out.
#pragma once

#define IDR_FILE_7ZA 156
#define IDR_FILE_PRODUCT_FONT 208
