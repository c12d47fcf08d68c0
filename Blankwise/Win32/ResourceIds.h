/* Resource ids, shared by Blankwise.rc and the code: plain macros, for the resource compiler. */
#ifndef BLANKWISE_RESOURCE_IDS_H
#define BLANKWISE_RESOURCE_IDS_H

#define IDS_MENU_TEXT 1
#define IDS_STATUS_MESSAGE 2
#define IDB_COMMAND 101

/* The list's range failure messages. */
#define IDS_LIST_CAPACITY_ERROR 65440
#define IDS_LIST_COUNT_ERROR 65441
#define IDS_LIST_INDEX_ERROR 65442

#endif
